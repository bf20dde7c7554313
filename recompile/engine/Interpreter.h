#pragma once
// The action interpreter: loads an assembled script into a document, replaces
// the script variables with the values of the request, and hands the actions
// of one section, in document order, to the copy, delete and compile actions.

#include "engine/BuildRequest.h"
#include "support/vdxXML.h"

#include <string>
#include <string_view>

namespace vdx {

// The actions a section can run. Each receives its action element; an error
// raised by one ends the section and reaches the caller of RunSection.
struct ActionHandlers {
    virtual void Copy(const TvdxXMLItem& action) = 0;
    virtual void Delete(const TvdxXMLItem& action) = 0;
    virtual void Compile(const TvdxXMLItem& action) = 0;
    virtual ~ActionHandlers() = default;
};

// Replaces the document's content with the parsed script text. Raises
// FormatError ("Invalid file format") when the text does not parse.
void LoadScript(TvdxXMLDocument& script, std::string_view text);

// Every occurrence of "%LANG%", "%VERC%", "%VER%" and "%TEE%" (upper case
// only) replaced by Language, VerC, Ver and TeeName. Inserted values are
// final: a value that contains a variable name is not substituted again.
std::string SubstituteVariablesInText(std::string_view text, const BuildRequest& request);

// Applies SubstituteVariablesInText to the attribute text of `item` and of
// every element below it. Element names are not touched.
void SubstituteVariables(TvdxXMLItem& item, const BuildRequest& request);

// Runs the actions of the section whose name matches `section` without regard
// to case (a missing section is added empty and runs nothing). The action is
// chosen by the attribute name, in any case: "copy", "delete" or "compile";
// other values, the empty one included, are skipped.
void RunSection(TvdxXMLDocument& script, std::string_view section, ActionHandlers& handlers);

} // namespace vdx
