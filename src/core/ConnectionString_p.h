#pragma once

#include "core/ConnectionString.h"

// Writes settings back as "key=value;...", for the tests' round trips.
QString formatConnectionString(const ConnectionSettings& settings);
