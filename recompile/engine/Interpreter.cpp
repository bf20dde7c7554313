#include "engine/Interpreter.h"

#include "support/TextUtil.h"

#include <array>
#include <vector>

namespace vdx {

void LoadScript(TvdxXMLDocument& script, std::string_view text) {
    MemoryStream stream(text);
    script.LoadFromStream(stream);
}

namespace {

// A piece of the text being substituted: original script text, in which
// variables are still looked for, or an inserted value, which is final.
struct Piece {
    std::string Text;
    bool Inserted;
};

// Replaces the first occurrence of `variable` that lies wholly within
// original text. Returns false when there is none.
bool ReplaceFirst(std::vector<Piece>& pieces, std::string_view variable, std::string_view value) {
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].Inserted)
            continue;
        const size_t at = pieces[i].Text.find(variable);
        if (at == std::string::npos)
            continue;
        Piece after{pieces[i].Text.substr(at + variable.size()), false};
        pieces[i].Text.erase(at);
        pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                      {Piece{std::string(value), true}, std::move(after)});
        return true;
    }
    return false;
}

} // namespace

std::string SubstituteVariablesInText(std::string_view text, const BuildRequest& request) {
    const std::array<std::pair<std::string_view, std::string_view>, 4> variables = {{
        {"%LANG%", request.Language},
        {"%VERC%", request.VerC},
        {"%VER%", request.Ver},
        {"%TEE%", request.TeeName},
    }};
    if (text.find('%') == std::string_view::npos)
        return std::string(text);
    // Passes of four steps, each replacing the first occurrence of its
    // variable, until a pass replaces nothing. Every replacement consumes
    // original text, so the loop ends whatever the values hold.
    std::vector<Piece> pieces{{std::string(text), false}};
    bool replaced = true;
    while (replaced) {
        replaced = false;
        for (const auto& [variable, value] : variables)
            replaced = ReplaceFirst(pieces, variable, value) || replaced;
    }
    std::string result;
    for (const Piece& piece : pieces)
        result += piece.Text;
    return result;
}

void SubstituteVariables(TvdxXMLItem& item, const BuildRequest& request) {
    // Depth first in document order, with an explicit stack so that the depth
    // of the document does not matter.
    std::vector<TvdxXMLItem*> pending{&item};
    while (!pending.empty()) {
        TvdxXMLItem& current = *pending.back();
        pending.pop_back();
        current.AttrText = SubstituteVariablesInText(current.AttrText, request);
        for (int i = current.ChildCount() - 1; i >= 0; --i)
            pending.push_back(&current.Child(i));
    }
}

void RunSection(TvdxXMLDocument& script, std::string_view section, ActionHandlers& handlers) {
    TvdxXMLItem& actions = script.Root().ChildByName(section);
    const int count = actions.ChildCount();
    for (int i = 0; i < count && i < actions.ChildCount(); ++i) {
        const TvdxXMLItem& action = actions.Child(i);
        const std::string name = ToLowerAscii(action.AttrValue("name"));
        if (name == "copy")
            handlers.Copy(action);
        else if (name == "delete")
            handlers.Delete(action);
        else if (name == "compile")
            handlers.Compile(action);
    }
}

} // namespace vdx
