#pragma once

#include <QString>

// The connection string last used, as ConnectDatabase chose it: for the tests.
const QString& gConnString();
