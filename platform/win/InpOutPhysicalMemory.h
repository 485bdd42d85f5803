// The product's physical-memory pair: the physical-memory library inpoutx64.dll, imported by
// ordinal (11 maps a physical range, 12 unmaps it).
#pragma once

// Binds the library's map/unmap pair for the whole process (see platform/PhysicalMemory.h).
void BindInpOutPhysicalMemory();
