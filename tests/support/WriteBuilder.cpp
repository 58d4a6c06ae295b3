#include "support/WriteBuilder.h"
#include "support/Bytes.h"

#include <map>
#include <stdexcept>

namespace scrivlet::test {
namespace {

// Property pages: fcFirst, entries of (limit, property offset), property
// blocks after the entries, entry count in byte 127.
std::string PropertyPages(const std::vector<std::pair<uint32_t, WriteBuilder::Props>>& entries,
                          size_t perPage) {
  std::string pages;
  uint32_t fcFirst = 128;
  for (size_t first = 0; first < entries.size() || first == 0; first += perPage) {
    std::string page(128, '\0');
    Put32(page, 0, fcFirst);
    size_t count = std::min(perPage, entries.size() - std::min(first, entries.size()));
    size_t blockAt = 4 + 6 * count;
    std::map<std::string, size_t> blocks; // equal properties share one block
    for (size_t k = 0; k < count; ++k) {
      const auto& [limit, props] = entries[first + k];
      Put32(page, 4 + 6 * k, limit);
      if (!props) {
        Put16(page, 8 + 6 * k, 0xFFFF);
      } else {
        auto [block, added] = blocks.try_emplace(*props, blockAt);
        if (added) {
          if (blockAt + 1 + props->size() > 127)
            throw std::length_error("property blocks do not fit on the page");
          page[blockAt] = static_cast<char>(props->size());
          page.replace(blockAt + 1, props->size(), *props);
          blockAt += 1 + props->size();
        }
        Put16(page, 8 + 6 * k, static_cast<uint32_t>(block->second - 4));
      }
      fcFirst = limit;
    }
    page.resize(128);
    page[127] = static_cast<char>(count);
    pages += page;
    if (entries.empty())
      break;
  }
  return pages;
}

} // namespace

std::string WriteCharProps::Bytes() const {
  std::string b(6, '\0');
  b[1] = static_cast<char>((bold ? 1 : 0) | (italic ? 2 : 0) | (font & 0x3F) << 2);
  b[2] = static_cast<char>(halfPoints);
  b[3] = static_cast<char>(underline ? 1 : 0);
  b[4] = static_cast<char>(font >> 6 & 0x03);
  b[5] = static_cast<char>(position);
  return b;
}

void WriteBuilder::AddRun(size_t textEnd, Props props) {
  runs.push_back({static_cast<uint32_t>(128 + textEnd), std::move(props)});
}

void WriteBuilder::AddParagraph(size_t textEnd, Props props) {
  paragraphs.push_back({static_cast<uint32_t>(128 + textEnd), std::move(props)});
}

std::string WriteBuilder::ParagraphFlags(uint8_t flags) {
  std::string b(17, '\0');
  b[16] = static_cast<char>(flags);
  return b;
}

std::string WriteBuilder::Build() const {
  std::string file(128, '\0');
  Put16(file, 0, 0xBE31);
  Put16(file, 4, 0xAB00);
  file += text;
  file.resize(FirstCharPage() * 128, '\0');
  file += PropertyPages(runs, entriesPerPage);
  size_t paragraphPage = file.size() / 128;
  file += PropertyPages(paragraphs, entriesPerPage);
  size_t fontPage = file.size() / 128;
  if (withFontTable) {
    std::string table(2, '\0');
    Put16(table, 0, static_cast<uint32_t>(fonts.size()));
    for (size_t i = 0; i < fonts.size(); ++i) {
      const auto& [family, name] = fonts[i];
      if (i == 1 && continueFontTableAfterFirst) {
        table += std::string("\xFF\xFF", 2);
        table.resize((table.size() + 127) / 128 * 128, '\0');
      }
      std::string entry(2, '\0');
      Put16(entry, 0, static_cast<uint32_t>(name.size() + 2));
      entry += static_cast<char>(family);
      entry += name;
      entry += '\0';
      table += entry;
    }
    table.resize((table.size() + 127) / 128 * 128 + 128, '\0'); // room after the last entry
    file += table;
  }
  size_t pageCount = file.size() / 128;
  Put32(file, 14, static_cast<uint32_t>(128 + text.size()));
  Put16(file, 18, static_cast<uint32_t>(paragraphPage));
  Put16(file, 28, static_cast<uint32_t>(withFontTable ? fontPage : pageCount));
  Put16(file, 96, static_cast<uint32_t>(pageCount));
  return file;
}

} // namespace scrivlet::test
