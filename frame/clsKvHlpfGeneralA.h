#pragma once
// A published class with only the inherited dispatch members.

#include "ComObject.h"
#include "frame/Published.h"

namespace morvel {

class clsKvHlpfGeneralA final : public ComObject<clsKvHlpfGeneralA, _clsKvHlpfGeneralA> {};

}  // namespace morvel
