#pragma once

#include <string>
#include <vector>

namespace servertest {

// One element of a parsed document: its name and all of its own text.
struct XmlElement {
  std::string name;
  std::string text;
};

// Parses a whole document with expat. wellFormed is false when expat reports an error.
struct XmlProbe {
  bool wellFormed = false;
  std::vector<XmlElement> elements;  // in document order (by start tag)

  static XmlProbe Parse(const std::string& document);
  // The texts of every element with this name, in order.
  std::vector<std::string> Texts(const std::string& name) const;
};

}  // namespace servertest
