// The configurator side of table definitions: one registered configurator per table.

#ifndef KXAGENT_CONFIGURATOR_SET_H_
#define KXAGENT_CONFIGURATOR_SET_H_

#include <memory>
#include <vector>

#include "definitions.h"
#include "korvax/configurator.h"

namespace kxagent {

class ConfiguratorSet {
 public:
  // Creates one configurator per table of defs, declares its columns, attaches the children and
  // registers every command. The tables must already be in the current MIB (the column types
  // come from there) and the settings loaded (configurators read theirs when constructed).
  // defs must have passed ParseDefinitions, which is what makes this step unable to fail.
  explicit ConfiguratorSet(const Definitions& defs);
  // Deregisters and destroys the configurators, children first.
  ~ConfiguratorSet();
  ConfiguratorSet(const ConfiguratorSet&) = delete;
  ConfiguratorSet& operator=(const ConfiguratorSet&) = delete;

  // The configurators that are nobody's child, in definition order: those a save writes (a
  // parent writes its children's rows inside its own).
  const std::vector<korvax::IConfigurator*>& TopLevel() const { return topLevel_; }

 private:
  std::vector<std::unique_ptr<korvax::IConfigurator>> all_;  // parents before children
  std::vector<korvax::IConfigurator*> topLevel_;
};

}  // namespace kxagent

#endif  // KXAGENT_CONFIGURATOR_SET_H_
