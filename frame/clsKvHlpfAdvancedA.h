#pragma once
// A published class with only the inherited dispatch members.

#include "ComObject.h"
#include "frame/Published.h"

namespace morvel {

class clsKvHlpfAdvancedA final : public ComObject<clsKvHlpfAdvancedA, _clsKvHlpfAdvancedA> {};

}  // namespace morvel
