#pragma once
// A published class with only the inherited dispatch members.

#include "comkit/ComObject.h"
#include "library/Published.h"

namespace morvel {

class clsKvHlpfGeneralA final : public ComObject<clsKvHlpfGeneralA, _clsKvHlpfGeneralA> {};

}  // namespace morvel
