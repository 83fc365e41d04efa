// libjpeg's interface. Its header uses FILE and size_t without declaring them, so the C library's
// declarations must come first; every file that needs libjpeg includes it through here.
#pragma once

// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on
