#pragma once
#include "settings/tprefsrecord.h"
#include "support/testenv.h"

namespace ts::test {

// An empty registry file of its own for one test, where the test can store
// a whole set of preferences first, as the Preferences dialog would.
class FreshRegistry : public ScopedRegistryFile {
public:
    void store(const TPrefsRecord& prefs) { prefs.SaveSettings(); }
};

} // namespace ts::test
