#pragma once

// ADO's numbers for the failures the connection layer detects itself, so the user sees the
// codes the system has always shown.
namespace AdoError {
constexpr long BadConnectionString = -2147217805; // format of the initialization string
constexpr long ProviderNotFound = 3706;
constexpr long GenericFailure = -2147467259;
constexpr long ConnectionClosed = 3709;
constexpr long ItemNotFound = 3265;
constexpr long NoCurrentRecord = 3021;
} // namespace AdoError
