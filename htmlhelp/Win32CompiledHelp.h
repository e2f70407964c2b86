#pragma once
// The platform's compiled-help storage (itss.dll): the streams of a compiled help file and
// their contents, for the help doctor. Windows only; the names go to the storage in Unicode.

#include <cstdint>
#include <string>
#include <vector>

namespace morvel::htmlhelp::compiledhelp {

// Every stream of the file as a path from the root ("/intro.htm", "/$WWKeywordLinks/BTree").
// 0 on success, else the storage's HRESULT.
long listStreams(const std::u16string& file, std::vector<std::u16string>& streams);
// One stream whole; 0 on success, else the storage's HRESULT.
long readStream(const std::u16string& file, const std::u16string& stream, std::vector<std::uint8_t>& data);

}  // namespace morvel::htmlhelp::compiledhelp
