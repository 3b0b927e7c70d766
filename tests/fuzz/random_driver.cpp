// Runs a fuzz target without libFuzzer: a fixed number of inputs from a fixed
// seed, each either random bytes, a splice of words that the targets know,
// or a mutation of an earlier input. The same run every time, so a failure
// can be replayed; an input file given on the command line is run alone.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    "\xEA\xB0\x80", "\xB0\xA1", "\xED\xA0\x80", "\xFF", "\x01", "[", "]", "# ", ":",
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

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "cannot read %s\n", argv[1]);
      return 2;
    }
    Run(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    return 0;
  }
  const int iterations = 20000;
  std::mt19937 rng(20240611u);
  std::vector<std::string> pool;
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
        input = pool.empty() ? Splice(rng) : pool[rng() % pool.size()];
        Mutate(input, rng);
        break;
    }
    Run(input);
    if (pool.size() < 512)
      pool.push_back(input);
    else
      pool[rng() % pool.size()] = input;
  }
  std::printf("%d inputs\n", iterations);
  return 0;
}
