#include "support/PdfBuilder.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace scrivlet::test {

namespace {

std::string Padded(uint64_t value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*llu", width, static_cast<unsigned long long>(value));
  return buffer;
}

std::string BigEndian(uint64_t value, int width) {
  std::string bytes(static_cast<size_t>(width), '\0');
  for (int i = width - 1; i >= 0; --i, value >>= 8)
    bytes[static_cast<size_t>(i)] = static_cast<char>(value & 0xFF);
  return bytes;
}

std::string ObjectText(uint32_t number, const std::string& body) {
  return std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
}

uint64_t LastStartXref(const std::string& file) {
  size_t pos = file.rfind("startxref");
  if (pos == std::string::npos)
    throw std::runtime_error("no startxref");
  return std::strtoull(file.c_str() + pos + 9, nullptr, 10);
}

struct Entry {
  int Type = 0;
  uint64_t Field2 = 0, Field3 = 0;
};

std::string TableSection(const std::map<uint32_t, Entry>& entries, bool subsections,
                         bool withHead) {
  std::string out = "xref\n";
  auto line = [](const Entry& e) {
    return e.Type == 1 ? Padded(e.Field2, 10) + " 00000 n \n" : "0000000000 00000 f \n";
  };
  if (!subsections) {
    uint32_t last = entries.empty() ? 0 : entries.rbegin()->first;
    out += "0 " + std::to_string(last + 1) + "\n";
    out += "0000000000 65535 f \n";
    for (uint32_t n = 1; n <= last; ++n) {
      auto it = entries.find(n);
      out += it == entries.end() ? "0000000000 00000 f \n" : line(it->second);
    }
    return out;
  }
  if (withHead)
    out += "0 1\n0000000000 65535 f \n";
  // One subsection per run of consecutive numbers.
  for (auto it = entries.begin(); it != entries.end();) {
    auto runEnd = it;
    uint32_t first = it->first, count = 0;
    while (runEnd != entries.end() && runEnd->first == first + count) {
      ++runEnd;
      ++count;
    }
    out += std::to_string(first) + " " + std::to_string(count) + "\n";
    for (; it != runEnd; ++it)
      out += line(it->second);
  }
  return out;
}

std::string StreamSection(const std::map<uint32_t, Entry>& entries, uint32_t xrefNumber,
                          uint64_t xrefOffset, const PdfBuilder::StreamOptions& options,
                          const std::string& trailer) {
  std::map<uint32_t, Entry> all = entries;
  all[xrefNumber] = Entry{1, xrefOffset, 0};
  std::string rows, index;
  if (options.WithIndex) {
    for (auto it = all.begin(); it != all.end();) {
      uint32_t first = it->first, count = 0;
      for (; it != all.end() && it->first == first + count; ++it, ++count)
        rows += BigEndian(static_cast<uint64_t>(it->second.Type), 1) +
                BigEndian(it->second.Field2, options.OffsetWidth) +
                BigEndian(it->second.Field3, options.IndexWidth);
      index += std::to_string(first) + " " + std::to_string(count) + " ";
    }
  } else {
    for (uint32_t n = 0; n <= xrefNumber; ++n) {
      Entry e = all.count(n) ? all[n] : Entry{};
      rows += BigEndian(static_cast<uint64_t>(e.Type), 1) +
              BigEndian(e.Field2, options.OffsetWidth) + BigEndian(e.Field3, options.IndexWidth);
    }
  }
  int width = 1 + options.OffsetWidth + options.IndexWidth;
  std::string entriesText = "/Type /XRef /Size " + std::to_string(xrefNumber + 1) + " /W [1 " +
                            std::to_string(options.OffsetWidth) + " " +
                            std::to_string(options.IndexWidth) + "]";
  if (options.WithIndex)
    entriesText += " /Index [" + index + "]";
  std::string data;
  if (options.PngPredictor) {
    data = PdfBuilder::Zlib(PdfBuilder::PngEncode(rows, width, 2));
    entriesText += " /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns " +
                   std::to_string(width) + " >>";
  } else {
    data = PdfBuilder::Zlib(rows);
    entriesText += " /Filter /FlateDecode";
  }
  entriesText += " " + trailer;
  return ObjectText(xrefNumber, PdfBuilder::Stream(entriesText, data));
}

int LzwWidth(int next, bool early) {
  int limit = next + (early ? 1 : 0);
  return limit < 512 ? 9 : limit < 1024 ? 10 : limit < 2048 ? 11 : 12;
}

} // namespace

uint32_t PdfBuilder::Add(std::string body) {
  uint32_t number = FNext++;
  FObjects[number] = std::move(body);
  return number;
}

void PdfBuilder::Put(uint32_t number, std::string body) {
  FObjects[number] = std::move(body);
  FNext = std::max(FNext, number + 1);
}

std::string PdfBuilder::Stream(const std::string& entries, const std::string& data) {
  return "<< " + entries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
         "\nendstream";
}

std::string PdfBuilder::Build(Xref style) const {
  return Build(style, StreamOptions());
}

std::string PdfBuilder::Build(Xref style, const StreamOptions& options) const {
  std::string out = Header;
  std::map<uint32_t, Entry> entries;
  uint32_t next = FNext;
  std::map<uint32_t, std::string> loose = FObjects;
  if (!FPacked.empty()) {
    uint32_t container = next++;
    std::string header, bodies;
    uint32_t index = 0;
    for (uint32_t number : FPacked) {
      header += std::to_string(number) + " " + std::to_string(bodies.size()) + " ";
      bodies += FObjects.at(number) + "\n";
      entries[number] = Entry{2, container, index++};
      loose.erase(number);
    }
    loose[container] = Stream("/Type /ObjStm /N " + std::to_string(FPacked.size()) + " /First " +
                                  std::to_string(header.size()) + " /Filter /FlateDecode",
                              Zlib(header + bodies));
  }
  for (const auto& [number, body] : loose) {
    entries[number] = Entry{1, out.size(), 0};
    out += ObjectText(number, body);
  }
  uint64_t xrefOffset = out.size();
  if (style == Xref::Stream) {
    out += StreamSection(entries, next, xrefOffset, options, Trailer);
  } else {
    out += TableSection(entries, style == Xref::SubsectionTable, true);
    out += "trailer\n<< /Size " + std::to_string(next) + " " + Trailer + " >>\n";
  }
  out += "startxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
  return out;
}

std::string PdfBuilder::AppendUpdate(const std::string& file,
                                     const std::map<uint32_t, std::string>& objects,
                                     const std::string& trailer, Xref style) {
  uint64_t prev = LastStartXref(file);
  std::string out = file;
  std::map<uint32_t, Entry> entries;
  uint32_t last = 0;
  for (const auto& [number, body] : objects) {
    entries[number] = Entry{1, out.size(), 0};
    out += ObjectText(number, body);
    last = std::max(last, number);
  }
  uint64_t xrefOffset = out.size();
  std::string prevEntry = "/Prev " + std::to_string(prev) + " " + trailer;
  if (style == Xref::Stream) {
    StreamOptions options;
    options.WithIndex = true;
    out += StreamSection(entries, last + 100, xrefOffset, options, prevEntry);
  } else {
    out += TableSection(entries, true, false);
    out += "trailer\n<< /Size " + std::to_string(last + 1) + " " + prevEntry + " >>\n";
  }
  out += "startxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
  return out;
}

PdfBuilder PdfBuilder::WithPages(const std::vector<std::string>& contents,
                                 const std::string& infoEntries) {
  PdfBuilder pdf;
  uint32_t catalog = pdf.Reserve();
  uint32_t pages = pdf.Reserve();
  std::string kids;
  for (const std::string& content : contents) {
    uint32_t stream = pdf.Add(Stream("", content));
    uint32_t page =
        pdf.Add("<< /Type /Page /Parent " + std::to_string(pages) +
                " 0 R /MediaBox [0 0 612 792] /Contents " + std::to_string(stream) + " 0 R >>");
    kids += std::to_string(page) + " 0 R ";
  }
  pdf.Put(catalog, "<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>");
  pdf.Put(pages,
          "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(contents.size()) + " >>");
  pdf.Trailer = "/Root " + std::to_string(catalog) + " 0 R";
  if (!infoEntries.empty()) {
    uint32_t info = pdf.Add("<< " + infoEntries + " >>");
    pdf.Trailer += " /Info " + std::to_string(info) + " 0 R";
  }
  return pdf;
}

std::string PdfBuilder::HelveticaPages(const std::vector<std::string>& contents) {
  PdfBuilder pdf;
  pdf.Put(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.Put(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  std::string kids;
  uint32_t next = 10;
  for (const std::string& content : contents) {
    uint32_t page = next++, stream = next++;
    pdf.Put(page, "<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(stream) + " 0 R >>");
    pdf.Put(stream, Stream("", content));
    kids += std::to_string(page) + " 0 R ";
  }
  pdf.Put(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(contents.size()) +
                 " /Resources << /Font << /F1 3 0 R >> >> >>");
  pdf.Trailer = "/Root 1 0 R";
  return pdf.Build();
}

std::string PdfBuilder::Zlib(const std::string& bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size,
            reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()), 9);
  out.resize(size);
  return out;
}

std::string PdfBuilder::AsciiHex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out + ">";
}

std::string PdfBuilder::Ascii85(const std::string& bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 4) {
    size_t n = std::min<size_t>(4, bytes.size() - i);
    uint32_t value = 0;
    for (size_t k = 0; k < 4; ++k)
      value = value << 8 | (k < n ? static_cast<uint8_t>(bytes[i + k]) : 0);
    if (n == 4 && value == 0) {
      out += 'z';
      continue;
    }
    char group[5];
    for (int k = 4; k >= 0; --k, value /= 85)
      group[k] = static_cast<char>('!' + value % 85);
    out.append(group, n + 1);
  }
  return out + "~>";
}

std::string PdfBuilder::Lzw(const std::string& bytes, bool earlyChange) {
  std::string out;
  uint32_t buffer = 0;
  int bits = 0;
  int decoderNext = 258;
  int codesSinceClear = 0;
  auto write = [&](int code) {
    int width = LzwWidth(decoderNext, earlyChange);
    buffer = buffer << width | static_cast<uint32_t>(code);
    bits += width;
    while (bits >= 8) {
      out += static_cast<char>(buffer >> (bits - 8) & 0xFF);
      bits -= 8;
    }
    buffer &= (1u << bits) - 1;
  };
  auto emit = [&](int code) {
    write(code);
    if (codesSinceClear > 0 && decoderNext < 4096)
      ++decoderNext;
    ++codesSinceClear;
  };
  std::map<std::string, int> table;
  int next = 258;
  auto reset = [&] {
    table.clear();
    next = 258;
  };
  write(256);
  std::string current;
  for (char c : bytes) {
    std::string extended = current + c;
    if (extended.size() == 1 || table.count(extended)) {
      current = extended;
      continue;
    }
    emit(current.size() == 1 ? static_cast<uint8_t>(current[0]) : table[current]);
    table[extended] = next++;
    current = std::string(1, c);
    if (next >= 4000) {
      write(256);
      decoderNext = 258;
      codesSinceClear = 0;
      reset();
    }
  }
  if (!current.empty())
    emit(current.size() == 1 ? static_cast<uint8_t>(current[0]) : table[current]);
  write(257);
  if (bits > 0)
    out += static_cast<char>(buffer << (8 - bits) & 0xFF);
  return out;
}

std::string PdfBuilder::PngEncode(const std::string& bytes, int columns, int tag) {
  std::string out;
  size_t width = static_cast<size_t>(columns);
  std::string above(width, '\0');
  for (size_t row = 0; row < bytes.size(); row += width) {
    std::string plain = bytes.substr(row, width);
    plain.resize(width, '\0');
    out += static_cast<char>(tag);
    for (size_t i = 0; i < width; ++i) {
      int left = i > 0 ? static_cast<uint8_t>(plain[i - 1]) : 0;
      int up = static_cast<uint8_t>(above[i]);
      int upperLeft = i > 0 ? static_cast<uint8_t>(above[i - 1]) : 0;
      int predicted = 0;
      switch (tag) {
      case 1: predicted = left; break;
      case 2: predicted = up; break;
      case 3: predicted = (left + up) / 2; break;
      case 4: {
        int p = left + up - upperLeft;
        int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upperLeft);
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : upperLeft;
        break;
      }
      default: break;
      }
      out += static_cast<char>((static_cast<uint8_t>(plain[i]) - predicted) & 0xFF);
    }
    above = plain;
  }
  return out;
}

} // namespace scrivlet::test
