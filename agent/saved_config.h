// The saved configuration: the console lines that recreate the rows of every table.

#ifndef KXAGENT_SAVED_CONFIG_H_
#define KXAGENT_SAVED_CONFIG_H_

#include <string>
#include <vector>

#include "atomic_file.h"
#include "korvax/configurator.h"

namespace kxagent {

// The lines WritePrimitiveState writes for each configurator, in order. False with one line in
// *error when the text could not be collected (out of memory).
bool RenderConfiguration(const std::vector<korvax::IConfigurator*>& configurators,
                         std::string* text, std::string* error);

// Renders the configuration and replaces path with it (ReplaceFile). False with one line in
// *error: "Cannot save PATH: reason"; the previous file is then untouched.
bool SaveConfiguration(FileSystem& fs, const std::vector<korvax::IConfigurator*>& configurators,
                       const std::string& path, std::string* error);

}  // namespace kxagent

#endif  // KXAGENT_SAVED_CONFIG_H_
