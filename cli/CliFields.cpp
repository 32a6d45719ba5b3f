#include "CliFields.h"

namespace cli {
namespace {
constexpr const char* NOT_AVAILABLE = "field table not available";
}

bool ListFields(int, std::vector<CliField>* out, std::string* error) {
    out->clear();
    *error = NOT_AVAILABLE;
    return false;
}

bool FieldValues(int, std::vector<CliField>* out, std::string* error) {
    out->clear();
    *error = NOT_AVAILABLE;
    return false;
}

bool ApplyFields(int, const std::vector<FieldSetting>& settings, const std::string& hdcpKeyPath, std::string* error) {
    if (settings.empty() && hdcpKeyPath.empty()) return true;
    *error = NOT_AVAILABLE;
    return false;
}

}  // namespace cli
