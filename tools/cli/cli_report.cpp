#include "tools/cli/cli_report.h"

#include "config/models.h"
#include "tools/cli/json_writer.h"

std::string reportJson(const CliReport& r) {
    JsonWriter json;
    json.beginObject();
    json.key("command").string(r.command);
    json.key("port");
    r.port ? json.string(*r.port) : json.null();
    json.key("model");
    const char* name = modelName(r.modelId);
    name ? json.string(name) : json.null();
    json.key("model_id");
    r.modelId >= 0 ? json.number(r.modelId) : json.null();
    if (r.firmware) json.key("firmware").string(*r.firmware);
    if (r.file) json.key("file").string(*r.file);
    json.key("result").string(r.result);
    json.key("exit").number(r.exitCode);
    if (r.backup) json.key("backup").string(*r.backup);
    if (r.checkPassed) json.key("check").string(*r.checkPassed ? "passed" : "failed");
    if (r.changes) {
        json.key("changes").beginArray();
        for (const FieldChange& c : *r.changes) {
            json.beginObject().key("key").string(c.key);
            for (const auto& [member, value] :
                 {std::pair{"tracker", &c.tracker}, std::pair{"file", &c.written}}) {
                json.key(member);
                if (c.kind == FieldChange::Kind::Number) {
                    json.number(std::stoll(*value));
                } else {
                    json.string(*value);
                }
            }
            json.endObject();
        }
        json.endArray();
    }
    json.key("elapsed_ms").number(r.elapsedMs);
    json.endObject();
    return json.text();
}
