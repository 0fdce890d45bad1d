// Text form parsing: Expat's streaming handlers build a tree of ZxTextNode.
#include "serial/zx_text_parser.h"

#include <expat.h>

#include <cstring>
#include <vector>

namespace zxtext {
namespace {

struct Frame {
  std::unique_ptr<ZxTextNode> node;
  int elementDepth;  // element depth of the node's own "object" element (0: root)
};

struct State {
  XML_Parser parser = nullptr;
  std::vector<Frame> stack;
  int maxFrames = 0;
  int elementDepth = 0;
  // While set, every event up to the end of the top node's own element is
  // ignored: an object nested too deep drops the rest of its holder.
  bool skipping = false;
};

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** /*attributes*/) {
  State* s = static_cast<State*>(data);
  ++s->elementDepth;
  if (s->skipping) return;
  if (std::strcmp(name, "object") == 0) {
    if (static_cast<int>(s->stack.size()) >= s->maxFrames) {
      s->skipping = true;
      return;
    }
    s->stack.push_back(Frame{std::unique_ptr<ZxTextNode>(new ZxTextNode), s->elementDepth});
    return;
  }
  ZxTextNode* top = s->stack.back().node.get();
  top->current.assign(name);
  top->text.clear();
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
  State* s = static_cast<State*>(data);
  int depth = s->elementDepth--;
  if (s->skipping) {
    if (depth != s->stack.back().elementDepth) return;
    s->skipping = false;  // this end closes the holder: handled below
  }
  if (std::strcmp(name, "object") == 0) {
    if (s->stack.size() < 2) return;
    std::unique_ptr<ZxTextNode> node = std::move(s->stack.back().node);
    s->stack.pop_back();
    ZxTextNode* top = s->stack.back().node.get();
    top->addChild(top->current, node.release());
    return;
  }
  ZxTextNode* top = s->stack.back().node.get();
  top->addValue(top->current, top->text);
  top->text.clear();
  top->current.assign("undef_obj");
}

void XMLCALL onText(void* data, const XML_Char* text, int len) {
  State* s = static_cast<State*>(data);
  if (s->skipping) return;
  s->stack.back().node->text.append(text, len);
}

// The text forms carry no document type; an entity declaration could only
// serve to blow the input up, so parsing stops at the first one.
void XMLCALL onEntityDecl(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                          const XML_Char*, const XML_Char*, const XML_Char*) {
  State* s = static_cast<State*>(data);
  XML_StopParser(s->parser, XML_FALSE);
}

}  // namespace

std::unique_ptr<ZxTextNode> parse(const char* text, int n, int maxNesting, int* result) {
  *result = 5;
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (!parser) return nullptr;
  State state;
  state.parser = parser;
  // Root, the top object, then maxNesting nested levels.
  state.maxFrames = maxNesting + 2;
  state.stack.push_back(Frame{std::unique_ptr<ZxTextNode>(new ZxTextNode), 0});
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(parser, onStart, onEnd);
  XML_SetCharacterDataHandler(parser, onText);
  XML_SetEntityDeclHandler(parser, onEntityDecl);
  bool ok = XML_Parse(parser, text ? text : "", text && n > 0 ? n : 0, XML_TRUE) == XML_STATUS_OK;
  XML_ParserFree(parser);
  if (!ok) {
    *result = 4;
    return nullptr;
  }
  if (state.stack.empty()) return nullptr;
  std::unique_ptr<ZxTextNode> root = std::move(state.stack.front().node);
  *result = 0;
  return root;
}

}  // namespace zxtext
