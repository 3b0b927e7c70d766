#pragma once
// liblzma, an independent LZMA encoder and decoder, for checking ours.
#include <lzma.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vellix::swf::testing {

struct LzmaSettings {
  std::uint32_t preset = 6;
  std::uint32_t lc = 3, lp = 0, pb = 2;
  std::uint32_t dictionary = 1u << 20;
  bool endMarker = false;
};

// The 5 property bytes and the raw LZMA data of `data`.
inline std::string LzmaEncode(const std::string& data, const LzmaSettings& s) {
  lzma_options_lzma options;
  if (lzma_lzma_preset(&options, s.preset)) throw std::runtime_error("bad preset");
  options.lc = s.lc;
  options.lp = s.lp;
  options.pb = s.pb;
  options.dict_size = s.dictionary;
  options.ext_flags = s.endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
  lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  std::string out(data.size() + data.size() / 2 + 1024, '\0');
  std::size_t outPos = 0;
  if (lzma_raw_buffer_encode(filters, nullptr, reinterpret_cast<const std::uint8_t*>(data.data()), data.size(),
                             reinterpret_cast<std::uint8_t*>(&out[0]), &outPos, out.size()) != LZMA_OK)
    throw std::runtime_error("liblzma could not encode");
  out.resize(outPos);
  std::string props(5, '\0');
  props[0] = static_cast<char>((s.pb * 5 + s.lp) * 9 + s.lc);
  for (int i = 0; i < 4; ++i) props[1 + i] = static_cast<char>((s.dictionary >> (8 * i)) & 0xFF);
  return props + out;
}

// What liblzma decodes from raw data of a known decoded size, as far as it
// gets; `complete` tells whether it reached the size without an error.
struct ReferenceDecode {
  std::string output;
  bool complete = false;
};

inline ReferenceDecode LzmaReferenceDecode(const std::uint8_t (&props)[5], const std::uint8_t* data, std::size_t size,
                                           std::size_t expected) {
  ReferenceDecode result;
  unsigned d = props[0];
  if (d >= 225) return result;
  lzma_options_lzma options{};
  options.lc = d % 9;
  d /= 9;
  options.lp = d % 5;
  options.pb = d / 5;
  options.dict_size = std::uint32_t{props[1]} | (std::uint32_t{props[2]} << 8) | (std::uint32_t{props[3]} << 16) |
                      (std::uint32_t{props[4]} << 24);
  if (options.dict_size < 4096) options.dict_size = 4096;
  options.ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
  options.ext_size_low = static_cast<std::uint32_t>(expected);
  options.ext_size_high = static_cast<std::uint32_t>(static_cast<std::uint64_t>(expected) >> 32);
  lzma_filter filters[] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream stream = LZMA_STREAM_INIT;
  if (lzma_raw_decoder(&stream, filters) != LZMA_OK) return result;
  result.output.resize(expected);
  stream.next_in = data;
  stream.avail_in = size;
  stream.next_out = reinterpret_cast<std::uint8_t*>(&result.output[0]);
  stream.avail_out = expected;
  lzma_ret r = LZMA_OK;
  while (r == LZMA_OK && stream.avail_out > 0) {
    const std::size_t before = stream.avail_in + stream.avail_out;
    r = lzma_code(&stream, LZMA_FINISH);
    if (stream.avail_in + stream.avail_out == before && r == LZMA_OK) break;
  }
  result.output.resize(expected - stream.avail_out);
  result.complete = stream.avail_out == 0 && (r == LZMA_OK || r == LZMA_STREAM_END);
  lzma_end(&stream);
  return result;
}

// An "FWS" movie recompressed as "ZWS".
inline std::string ZwsFromFws(const std::string& fws, const LzmaSettings& s = {}) {
  const std::string packed = LzmaEncode(fws.substr(8), s);
  const auto length = static_cast<std::uint32_t>(packed.size() - 5);
  std::string zws = "ZWS" + fws.substr(3, 5);
  for (int i = 0; i < 4; ++i) zws += static_cast<char>((length >> (8 * i)) & 0xFF);
  return zws + packed;
}

}  // namespace vellix::swf::testing
