// The SDO access table ("sdo"): per direction, the virtual object entries a master addresses
// on its own bus and the device object on the other bus they stand for.
#pragma once

#include "editors/GridTable.h"

const GridTableSchema& SdoTableSchema();
