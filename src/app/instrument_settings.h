// The other instruments' keys in the scope settings files.
#pragma once

#include <vector>

#include "engine/instrument_links.h"
#include "engine/settings_files/settings_keys.h"

// Adds the keys that belong at `place` of the scope's key table.
void AddInstrumentSettingsKeys(engine::SettingsKeyPlace place, std::vector<engine::SettingsFileKey>& keys);
