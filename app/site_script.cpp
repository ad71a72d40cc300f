#include "app/site_script.h"

namespace ondrel {

void RunSiteScript(const std::filesystem::path&, const std::filesystem::path&) {}

}  // namespace ondrel
