#pragma once
// The actions the interpreter runs for one request: copy, delete and compile
// elements handed to the file actions and the compile action.

#include "engine/BuildRequest.h"
#include "engine/Deployment.h"
#include "engine/FrontEnd.h"
#include "engine/Interpreter.h"

namespace vdx {

class ScriptActions : public ActionHandlers {
public:
    ScriptActions(const BuildRequest& request, FrontEnd& frontEnd)
        : request_(request), frontEnd_(frontEnd) {}

    void Copy(const TvdxXMLItem& action) override;
    void Delete(const TvdxXMLItem& action) override;
    void Compile(const TvdxXMLItem& action) override;

private:
    const BuildRequest& request_;
    FrontEnd& frontEnd_;
    DeployRecord deployed_; // the deployment copies of this request
};

} // namespace vdx
