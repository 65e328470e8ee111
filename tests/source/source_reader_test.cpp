#include "source/source_reader.h"
#include <gtest/gtest.h>
