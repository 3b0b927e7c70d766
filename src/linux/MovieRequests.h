#pragma once
// What the Linux viewer's engine decides before it asks the web page for
// anything: the addresses of local files under the viewer's URI scheme, the
// content type of what it serves, and how a movie with the variables set for
// it is handed to Ruffle. No GTK here: all of it is tested natively.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "text/Text.h"

namespace vellix::engine {

// Every file the page may load has one address of one origin:
// vellix://local/<absolute path, each byte outside the unreserved set and
// "/" percent-encoded>.
extern const char kScheme[];
std::string LocalUrl(const std::string& absolutePath);
// The absolute path a request names: its path part percent-decoded. Empty
// for a path that is not absolute or has a NUL in it.
std::string PathOfRequest(const std::string& requestPath);

// The Content-Type header for a file served to the page. Texts that are not
// the viewer's own (the book's data files, the memos) are labelled with the
// Windows Korean code page: a movie that set System.useCodepage reads them as
// the Flash Player on the book's systems did; one that did not ignores it.
std::string ContentType(const std::string& path);

// The variable names SetVariable takes, as the bridge movie's SetVariable
// callback wants them: "x" and "_root.x" are "_level0.x".
std::string BridgeVariableName(const Text& name);
// The name under which a variable can ride along with a movie's load as a
// _root variable ("x", "_root.x", "_level0.x" give "x"); none for a name
// that addresses anything else.
std::optional<std::string> RootVariableName(const Text& name);

// A query text: name=value pairs joined by "&", both parts URL-encoded.
std::string Query(const std::vector<std::pair<std::string, std::string>>& pairs);

// What the page is asked to play.
struct MovieLoad {
  enum class Way {
    kBlank,   // nothing: "about:blank"
    kBridge,  // an ActionScript 2 movie, loaded by the bridge into _level0
    kDirect,  // a movie the bridge cannot carry (ActionScript 3), or one that
              // cannot be played, which Ruffle then reports itself
  };
  Way way = Way::kBlank;
  std::string url;         // with the variables in its query for kBridge
  std::string background;  // "#rrggbb", the movie's own stage colour
  std::vector<std::pair<std::string, std::string>> flashVars;  // kDirect
  // Variables that could not ride along; set through the bridge once the
  // movie plays.
  std::vector<std::pair<std::string, std::string>> later;
};

// The facts of the movie file that decide its load.
struct MovieKind {
  bool playable = false;  // a movie file that could be read
  bool actionScript3 = false;
  std::optional<std::uint32_t> background;  // 0xRRGGBB
};

// `movie` is the text given to Movie; `path` the file it names (absolute,
// as the file system spells it); `variables` those set since, in order.
MovieLoad PlanMovieLoad(const Text& movie, const std::string& path, const MovieKind& kind,
                        const std::vector<std::pair<Text, Text>>& variables);

}  // namespace vellix::engine
