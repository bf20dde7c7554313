#include "engine/ScriptActions.h"

#include "engine/CompileAction.h"
#include "engine/FileActions.h"

namespace vdx {

void ScriptActions::Copy(const TvdxXMLItem& action) {
    CopyAction(action, request_);
}
void ScriptActions::Delete(const TvdxXMLItem& action) {
    DeleteAction(action, request_);
}
void ScriptActions::Compile(const TvdxXMLItem& action) {
    CompileAction(action, request_, frontEnd_, &deployed_);
}

} // namespace vdx
