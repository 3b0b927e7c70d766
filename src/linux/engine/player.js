"use strict";
// The viewer's side of its web page: one Ruffle player, driven by the viewer
// through vellix.configure, vellix.load, vellix.set and vellix.blank, and
// reporting the movie's FSCommands ("fscommand") and its own state
// ("engine") through the page's script message handlers. Texts arrive as
// function arguments, never pasted into code.
(() => {
  const host = window.webkit.messageHandlers;
  // Every message names the view the page was configured for last: the
  // viewer gives a popup's page to the next popup once the first has closed.
  const send = (channel, first, second = "") =>
    host[channel].postMessage([String(first), String(second)].concat(settings ? [String(settings.view)] : []));

  const BRIDGE_READY = "vellix_bridge_ready";
  let settings = null;     // from configure: the player's fixed options
  let player = null;
  let playerBackground = null;  // the stage colour the bridge player was made with
  let bridgeReady = false;
  let queued = [];         // [name, value] pairs waiting for the bridge

  function callBridge(name, ...args) {
    try {
      return player.ruffle().callExternalInterface(name, ...args);
    } catch (e) {
      send("engine", "error", name + ": " + e);
      return undefined;
    }
  }

  function removePlayer() {
    if (player) player.remove();
    player = null;
    playerBackground = null;
    bridgeReady = false;
    queued = [];
  }

  function makePlayer(background) {
    removePlayer();
    player = window.RufflePlayer.newest().createPlayer();
    document.getElementById("stage").appendChild(player);
    player.ruffle().addFSCommandHandler((command, args) => {
      if (command === BRIDGE_READY) {
        bridgeReady = true;
        const waiting = queued;
        queued = [];
        for (const [name, value] of waiting) callBridge("SetVariable", name, value);
        send("engine", "bridge-ready", args);
        return true;
      }
      send("fscommand", command, args);
      return true;
    });
    player.addEventListener("loadedmetadata", () => send("engine", "movie-ready"));
    player.addEventListener("loadeddata", () => send("engine", "movie-loaded"));
    playerBackground = background;
  }

  // For --timings: the frame after the book's movie took _level0 from the
  // bridge (whose FlashVar "movie" goes with it), or after a movie loaded
  // directly.
  function watchFirstFrame(direct) {
    if (!settings.reportFirstFrame) return;
    const check = () => {
      if (!player) return;
      const arrived = direct ? player.ruffle().readyState === 2 : bridgeReady && !callBridge("GetVariable", "_level0.movie");
      if (arrived) requestAnimationFrame(() => send("engine", "first-frame"));
      else requestAnimationFrame(check);
    };
    requestAnimationFrame(check);
  }

  function options(extra) {
    return Object.assign({}, settings.options, extra);
  }

  window.vellix = {
    configure(given) {
      removePlayer();
      settings = given;
      window.RufflePlayer = window.RufflePlayer || {};
      window.RufflePlayer.config = { publicPath: given.publicPath, polyfills: false };
      send("engine", "configured");
    },

    // movie: {way: "bridge" | "direct", url, background, flashVars, later}
    load(movie) {
      if (movie.way === "bridge") {
        if (player && bridgeReady && playerBackground === movie.background) {
          callBridge("LoadMovie", movie.url);
        } else {
          makePlayer(movie.background);
          player.ruffle().load(options({
            url: settings.bridge,
            backgroundColor: movie.background,
            parameters: { movie: movie.url },
          })).catch((e) => send("engine", "error", String(e)));
        }
        for (const pair of movie.later) this.set(pair);
        watchFirstFrame(false);
        return;
      }
      makePlayer(null);
      player.ruffle().load(options({
        url: movie.url,
        backgroundColor: movie.background,
        parameters: Object.fromEntries(movie.flashVars),
      })).catch((e) => send("engine", "error", String(e)));
      watchFirstFrame(true);
    },

    set([name, value]) {
      if (player && bridgeReady) callBridge("SetVariable", name, value);
      else if (player) queued.push([name, value]);
    },

    blank() {
      removePlayer();
    },
  };

  send("engine", "page-ready");
})();
