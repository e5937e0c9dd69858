#include "host/Database.h"

namespace host {

Database::~Database() = default;

void Database::executeOrThrow(const std::string& sql) {
    std::vector<std::string> errors;
    if (execute(sql, errors))
        return;
    std::string text = "数据库操作失败：";
    for (std::size_t i = 0; i < errors.size(); ++i)
        text += (i ? "；" : "") + errors[i];
    throw EDatabaseError(text);
}

} // namespace host
