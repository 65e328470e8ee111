#include "source/channel_table.h"
#include <gtest/gtest.h>
