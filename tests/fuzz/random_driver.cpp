// Runs a fuzz target without libFuzzer: a fixed number of inputs from a fixed
// seed, each either random bytes, a splice of words that the targets know,
// or a mutation of an earlier input. The same run every time, so a failure
// can be replayed.
//
//   fuzz_<name>                  the random series alone
//   fuzz_<name> <folder>...      each file of the folders first, then the
//                                series, mutating those files too
//   fuzz_<name> <file>           that one input alone (a crash file, say)
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Words that steer inputs into the interesting branches of the targets.
const char* const kWords[] = {
    "function", "function_full", "function_close", "function_forward", "function_imgcopy", "function_doccopy",
    "function_copyfile", "function_saveTextFile", "function_loadTextFile", "function_searchList",
    "function_InputParameter", "function_TxtListSaveToFile", "function_show", "PopUpForm", "@@@", "@@", "@",
    "/", "\\", "\\\\\\", ".", ".txt", ".HWP", ".docx", "\"", "\n", "\r\n", "\x1A", "=", "&", ",", "TxtList",
    "\xEA\xB0\x80", "\xB0\xA1", "\xED\xA0\x80", "\xFF", "\x01", "[", "]", "# ", ":", "height", " ", "\t",
    "\"\"",
};

std::string Splice(std::mt19937& rng) {
  std::string out;
  int count = static_cast<int>(rng() % 8);
  for (int i = 0; i < count; ++i) {
    if (rng() % 4 == 0)
      out += static_cast<char>(rng() % 256);
    else
      out += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
  }
  return out;
}

void Mutate(std::string& s, std::mt19937& rng) {
  int edits = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < edits; ++i) {
    std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    switch (rng() % 4) {
      case 0:
        s.insert(at, 1, static_cast<char>(rng() % 256));
        break;
      case 1:
        if (at < s.size()) s.erase(at, 1 + rng() % 4);
        break;
      case 2:
        s.insert(at, kWords[rng() % (sizeof kWords / sizeof kWords[0])]);
        break;
      default:
        if (at < s.size()) s[at] = static_cast<char>(rng() % 256);
        break;
    }
  }
}

int Run(const std::string& input) {
  return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

bool ReadFile(const std::filesystem::path& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> pool;
  for (int a = 1; a < argc; ++a) {
    std::error_code error;
    if (!std::filesystem::is_directory(argv[a], error)) {
      std::string input;
      if (argc != 2 || !ReadFile(argv[a], input)) {
        std::fprintf(stderr, "cannot read %s (give one input file or any number of folders)\n", argv[a]);
        return 2;
      }
      Run(input);
      return 0;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[a]))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
      std::string input;
      if (!ReadFile(path, input)) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return 2;
      }
      Run(input);
      pool.push_back(input);
    }
  }
  const std::size_t seeds = pool.size();
  const int iterations = 20000;
  std::mt19937 rng(20240611u);
  for (int i = 0; i < iterations; ++i) {
    std::string input;
    switch (rng() % 3) {
      case 0: {
        std::size_t size = rng() % 64;
        for (std::size_t k = 0; k < size; ++k) input += static_cast<char>(rng() % 256);
        break;
      }
      case 1:
        input = Splice(rng);
        break;
      default:
        // Half of the mutations start from a seed file, when there are any.
        if (pool.empty())
          input = Splice(rng);
        else
          input = pool[seeds > 0 && rng() % 2 ? rng() % seeds : rng() % pool.size()];
        Mutate(input, rng);
        break;
    }
    Run(input);
    // The seed files stay in the pool; the other places take new inputs.
    if (pool.size() < seeds + 512)
      pool.push_back(input);
    else
      pool[seeds + rng() % (pool.size() - seeds)] = input;
  }
  std::printf("%zu seed files, %d inputs\n", seeds, iterations);
  return 0;
}
