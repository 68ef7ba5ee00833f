#pragma once
// Identifiers of the executable's resources, shared by the code and the
// resource script (which reads only the preprocessor's definitions).

#define KESTRILO_ICON 1
