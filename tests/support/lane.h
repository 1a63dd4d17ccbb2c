// Tests that depend on the Linux build's Win32 stand-ins, which answer from
// the simulated machine (its drive letters, its /dev devices), are skipped
// in the Windows lane, where Wine's real calls answer instead.
#pragma once

#include <gtest/gtest.h>

#if defined(_WIN32)
#define TOLVANE_LINUX_STAND_INS_ONLY(why) GTEST_SKIP() << "Linux stand-ins only: " << (why)
#else
#define TOLVANE_LINUX_STAND_INS_ONLY(why) static_cast<void>(0)
#endif
