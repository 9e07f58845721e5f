// The shared temporary folder, for the tests that include it from here.
#pragma once

#include "support/temp_folder.h"
