#pragma once
// A published class with only the inherited dispatch members.

#include "comkit/ComObject.h"
#include "library/Published.h"

namespace morvel {

class clsKvHlpfAdvancedA final : public ComObject<clsKvHlpfAdvancedA, _clsKvHlpfAdvancedA> {};

}  // namespace morvel
