// The configuration settings for reading attachments: the extraction limits,
// the helper's path, and `unscannable`, what a message gets when part of it
// could not be read.
#ifndef VMUND_MILTER_EXTRACT_SETTINGS_H_
#define VMUND_MILTER_EXTRACT_SETTINGS_H_

#include <string>

namespace vmund {
namespace milter {

struct Config;

// Applies `key value` to `config` when `key` is one of these settings:
// max-depth, max-entries, max-extracted, max-entry-size, max-ratio,
// extractor, unscannable. Returns false for any other key; sets `problem`
// when the value is wrong.
bool extractSetting(std::string const& key, std::string const& value, Config& config,
                    std::string& problem);

}  // namespace milter
}  // namespace vmund

#endif  // VMUND_MILTER_EXTRACT_SETTINGS_H_
