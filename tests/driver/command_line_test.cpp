#include "driver/command_line.h"
#include <gtest/gtest.h>
