// Compiles the readable skin source into the binary skin data block that
// the skin library reads. Usage: skin_compile SOURCE OUTPUT
// The output depends only on the source, so builds are reproducible.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "varskin/skin_format.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::map<std::string, int> kColorRoles = {
    {"window", VSKN_COLOR_WINDOW},
    {"panel", VSKN_COLOR_PANEL},
    {"text", VSKN_COLOR_TEXT},
    {"muted_text", VSKN_COLOR_MUTED_TEXT},
    {"accent", VSKN_COLOR_ACCENT},
    {"accent_text", VSKN_COLOR_ACCENT_TEXT},
    {"button_face", VSKN_COLOR_BUTTON_FACE},
    {"button_hover", VSKN_COLOR_BUTTON_HOVER},
    {"button_pressed", VSKN_COLOR_BUTTON_PRESSED},
    {"button_text", VSKN_COLOR_BUTTON_TEXT},
    {"input_background", VSKN_COLOR_INPUT_BACKGROUND},
    {"border", VSKN_COLOR_BORDER},
    {"list_header", VSKN_COLOR_LIST_HEADER},
    {"list_header_text", VSKN_COLOR_LIST_HEADER_TEXT},
    {"grid", VSKN_COLOR_GRID},
    {"selection", VSKN_COLOR_SELECTION},
    {"selection_text", VSKN_COLOR_SELECTION_TEXT},
    {"alternate_row", VSKN_COLOR_ALTERNATE_ROW},
    {"status_bar", VSKN_COLOR_STATUS_BAR},
    {"status_text", VSKN_COLOR_STATUS_TEXT},
};
const std::map<std::string, int> kFontRoles = {
    {"ui", VSKN_FONT_UI}, {"code", VSKN_FONT_CODE}, {"header", VSKN_FONT_HEADER}};
const std::map<std::string, int> kMetrics = {{"corner_radius", VSKN_METRIC_CORNER_RADIUS},
                                             {"border_width", VSKN_METRIC_BORDER_WIDTH},
                                             {"padding", VSKN_METRIC_PADDING},
                                             {"row_height", VSKN_METRIC_ROW_HEIGHT}};
const std::map<std::string, int> kGradients = {
    {"window", VSKN_GRADIENT_WINDOW}, {"button", VSKN_GRADIENT_BUTTON}, {"header", VSKN_GRADIENT_HEADER}};

void PutU16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFFu);
  PutU16(out, value >> 16);
}

std::optional<int> Lookup(const std::map<std::string, int>& names, const std::string& name) {
  auto it = names.find(name);
  if (it == names.end()) return std::nullopt;
  return it->second;
}

std::optional<std::uint32_t> ParseRgb(const std::string& text) {
  if (text.size() != 7 || text[0] != '#') return std::nullopt;
  if (text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) return std::nullopt;
  return static_cast<std::uint32_t>(std::stoul(text.substr(1), nullptr, 16));
}

std::optional<unsigned> ParseNumber(const std::string& text, unsigned low, unsigned high) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  unsigned value = static_cast<unsigned>(std::stoul(text));
  if (value < low || value > high) return std::nullopt;
  return value;
}

Bytes Record(int kind, int id, const Bytes& payload) {
  Bytes out{static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(id)};
  PutU16(out, static_cast<unsigned>(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

std::optional<Bytes> ColorRecord(std::istringstream& in) {
  std::string role, rgb;
  in >> role >> rgb;
  auto id = Lookup(kColorRoles, role);
  auto value = ParseRgb(rgb);
  if (!id || !value) return std::nullopt;
  Bytes payload;
  PutU32(payload, *value);
  return Record(VSKN_KIND_COLOR, *id, payload);
}

std::optional<Bytes> FontRecord(std::istringstream& in) {
  std::string role, points, weight, family;
  in >> role >> std::ws;
  if (in.get() != '"' || !std::getline(in, family, '"')) return std::nullopt;
  in >> points >> weight;
  auto id = Lookup(kFontRoles, role);
  auto size = ParseNumber(points, 4, 72);
  auto boldness = ParseNumber(weight, 100, 900);
  if (!id || !size || !boldness || family.empty() || family.size() > VSKN_MAX_FONT_NAME) return std::nullopt;
  Bytes payload;
  PutU16(payload, *size);
  PutU16(payload, *boldness);
  payload.push_back(static_cast<std::uint8_t>(family.size()));
  payload.insert(payload.end(), family.begin(), family.end());
  return Record(VSKN_KIND_FONT, *id, payload);
}

std::optional<Bytes> MetricRecord(std::istringstream& in) {
  std::string name, pixels;
  in >> name >> pixels;
  auto id = Lookup(kMetrics, name);
  auto value = ParseNumber(pixels, 0, 64);
  if (!id || !value) return std::nullopt;
  Bytes payload;
  PutU32(payload, *value);
  return Record(VSKN_KIND_METRIC, *id, payload);
}

std::optional<Bytes> GradientRecord(std::istringstream& in) {
  std::string name, stop;
  in >> name;
  auto id = Lookup(kGradients, name);
  Bytes stops;
  unsigned count = 0;
  while (in >> stop) {
    auto colon = stop.find(':');
    if (colon == std::string::npos) return std::nullopt;
    auto position = ParseNumber(stop.substr(0, colon), 0, 255);
    auto rgb = ParseRgb(stop.substr(colon + 1));
    if (!position || !rgb) return std::nullopt;
    stops.push_back(static_cast<std::uint8_t>(*position));
    PutU32(stops, *rgb);
    ++count;
  }
  if (!id || count == 0 || count > VSKN_MAX_GRADIENT_STOPS) return std::nullopt;
  Bytes payload{static_cast<std::uint8_t>(count)};
  payload.insert(payload.end(), stops.begin(), stops.end());
  return Record(VSKN_KIND_GRADIENT, *id, payload);
}

std::optional<Bytes> LineRecord(const std::string& line) {
  std::istringstream in(line);
  std::string keyword;
  in >> keyword;
  if (keyword == "color") return ColorRecord(in);
  if (keyword == "font") return FontRecord(in);
  if (keyword == "metric") return MetricRecord(in);
  if (keyword == "gradient") return GradientRecord(in);
  return std::nullopt;
}

bool IsBlankOrComment(const std::string& line) {
  auto first = line.find_first_not_of(" \t\r");
  return first == std::string::npos || line[first] == '#';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: skin_compile SOURCE OUTPUT\n";
    return 2;
  }
  std::ifstream source(argv[1]);
  if (!source) {
    std::cerr << "skin_compile: cannot read " << argv[1] << "\n";
    return 1;
  }
  Bytes records;
  unsigned count = 0;
  std::string line;
  for (int number = 1; std::getline(source, line); ++number) {
    if (IsBlankOrComment(line)) continue;
    auto record = LineRecord(line);
    if (!record) {
      std::cerr << argv[1] << ":" << number << ": bad line: " << line << "\n";
      return 1;
    }
    records.insert(records.end(), record->begin(), record->end());
    ++count;
  }
  Bytes out{VSKN_MAGIC0, VSKN_MAGIC1, VSKN_MAGIC2, VSKN_MAGIC3};
  PutU16(out, VSKN_VERSION);
  PutU16(out, count);
  out.insert(out.end(), records.begin(), records.end());
  std::ofstream target(argv[2], std::ios::binary | std::ios::trunc);
  target.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return target ? 0 : 1;
}
