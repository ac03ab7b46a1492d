// Whether the MultiQuellan that `quellan configure` calls has a configuration dialog.
#pragma once

#include <string>

namespace quellan {

// Raises ToolError (PLUGIN_UNUSABLE) when `pluginPath` is MultiQuellan and
// this build keeps the dialog in a module of its own (Linux) that is not
// beside it, as in a build without Qt: its configuration process would show
// nothing and change nothing. Other plug-ins are not judged.
void checkConfigurationDialog(const std::string& pluginPath);

}  // namespace quellan
