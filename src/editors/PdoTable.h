// The PDO translate table ("rpdodef"): per direction, the PDOs the gateway passes to the other
// bus, written in COB-ID order.
#pragma once

#include "editors/GridTable.h"

const GridTableSchema& PdoTableSchema();
