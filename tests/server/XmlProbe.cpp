#include "tests/server/XmlProbe.h"

#include <expat.h>

#include <memory>

namespace servertest {
namespace {

struct State {
  XmlProbe* probe;
  std::vector<size_t> open;  // indexes of the open elements
};

void OnStart(void* data, const XML_Char* name, const XML_Char**) {
  auto* state = static_cast<State*>(data);
  state->open.push_back(state->probe->elements.size());
  state->probe->elements.push_back({name, ""});
}

void OnEnd(void* data, const XML_Char*) { static_cast<State*>(data)->open.pop_back(); }

void OnText(void* data, const XML_Char* text, int length) {
  auto* state = static_cast<State*>(data);
  if (!state->open.empty()) state->probe->elements[state->open.back()].text.append(text, static_cast<size_t>(length));
}

}  // namespace

XmlProbe XmlProbe::Parse(const std::string& document) {
  XmlProbe probe;
  State state{&probe, {}};
  std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate(nullptr), &XML_ParserFree);
  XML_SetUserData(parser.get(), &state);
  XML_SetElementHandler(parser.get(), &OnStart, &OnEnd);
  XML_SetCharacterDataHandler(parser.get(), &OnText);
  probe.wellFormed = XML_Parse(parser.get(), document.data(), static_cast<int>(document.size()), 1) == XML_STATUS_OK;
  return probe;
}

std::vector<std::string> XmlProbe::Texts(const std::string& name) const {
  std::vector<std::string> texts;
  for (const XmlElement& element : elements) {
    if (element.name == name) texts.push_back(element.text);
  }
  return texts;
}

}  // namespace servertest
