// libFuzzer target: the XML engine.  Parses the bytes (the first byte
// chooses whether the tag events refuse elements and free closed ones, as
// the .docx reader does), then walks the tree asking every element for its
// values, attributes and whole text.
#include "xml/XmlParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scrivlet;
  if (size == 0)
    return 0;
  const uint8_t options = data[0];
  XmlParser engine;
  engine.AttributesAutoProcess = (options & 1) != 0;
  if (options & 2) {
    engine.OnTag = [](XmlParser&, XmlNode*, const std::u16string& name, const std::u16string&,
                      const std::u16string&, bool& accept) { accept = name.size() % 3 != 0; };
    engine.OnAfterTag = [](XmlParser& sender, XmlNode*& node, bool& cancel) {
      if (node->Name.size() == 1)
        sender.FreeItem(node);
      else if (node->Name == "stop")
        cancel = true;
    };
  }
  engine.LoadFromBytes(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  size_t total = engine.Encoding().size();
  WalkItems(
      engine.RootItem(), 0,
      [&](XmlNode& item, int depth) {
        if (depth < 8) { // whole texts of deep items repeat their ancestors.
          item.ParseAttributes();
          total += item.GetValue().size() + item.WholeText().size();
        }
        return depth + 1;
      },
      [](XmlNode&) {});
  if (XmlNode* found = engine.FindItem(nullptr, "body"))
    total += found->Items.Count();
  volatile size_t sink = total;
  (void)sink;
  return 0;
}
