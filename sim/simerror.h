#ifndef LUMETRA_SIM_SIMERROR_H
#define LUMETRA_SIM_SIMERROR_H

#include <cstdint>

// Answers of the simulated SDK to calls it cannot accept. Kept apart from the
// driver's own codes (0x800001, 0x800002, 0x20002) so a trace shows who refused.
enum SimError : uint32_t {
    SimOk = 0,
    SimBadArgument = 0xa0000001,    // null pointer, bad length, flag or value
    SimUnknownHandle = 0xa0000002,  // a handle this library did not issue
    SimUnknownDocument = 0xa0000003,
    SimWrongOrder = 0xa0000004,     // the call does not fit the state of the library, session or document
    SimBadRecord = 0xa0000005,      // a record whose contents a device cannot use
    SimNotConnected = 0xa0000006,   // the printer connection is not open
    SimBusy = 0xa0000007,           // a chart is being generated
    SimNotSupported = 0xa0000008,   // a slot lumetra never calls
    SimBadTable = 0xa0000009,       // ACCEL_LoadFunction: null table or size other than 352
    SimBadScenario = 0xa000000a     // ACCEL_LoadFunction: the scenario file cannot be read
};

#endif
