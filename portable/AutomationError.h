#pragma once
// A run-time error as an automation host sees it: the error number (the COM frame turns
// it into 0x800A0000 | number), the source ("class.member") and the description.
// Portable: the core throws it, the COM frame catches it at the boundary.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace morvel {

class AutomationError : public std::runtime_error {
public:
    AutomationError(std::int32_t number, std::u16string description, std::u16string source = {})
        : std::runtime_error("automation error"), number_(number), description_(std::move(description)),
          source_(std::move(source))
    {}

    std::int32_t number() const noexcept { return number_; }
    const std::u16string& description() const noexcept { return description_; }
    const std::u16string& source() const noexcept { return source_; }
    void setSourceIfEmpty(const std::u16string& source)
    {
        if (source_.empty()) source_ = source;
    }

private:
    std::int32_t number_;
    std::u16string description_;
    std::u16string source_;
};

// The runtime's error numbers the library raises, with their standard descriptions.
namespace errors {
inline constexpr std::int32_t InvalidProcedureCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t InternalError = 51;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t ResourceNotFound = 326;
inline constexpr std::int32_t CannotCreateObject = 429;
inline constexpr std::int32_t ObjectDoesntSupport = 438;
inline constexpr std::int32_t ArgumentNotOptional = 449;
inline constexpr std::int32_t WrongArgumentCount = 450;
inline constexpr std::int32_t ActionNotSupported = 445;
inline constexpr std::int32_t InvalidUseOfNull = 94;
inline constexpr std::int32_t DllEntryPointNotFound = 453;

inline AutomationError invalidProcedureCall() { return {InvalidProcedureCall, u"Invalid procedure call or argument"}; }
inline AutomationError overflow() { return {Overflow, u"Overflow"}; }
inline AutomationError outOfMemory() { return {OutOfMemory, u"Out of memory"}; }
inline AutomationError internalError() { return {InternalError, u"Internal error"}; }
inline AutomationError fileNotFound(const std::u16string& file) { return {FileNotFound, u"File not found: " + file}; }
inline AutomationError dllEntryPointNotFound(const std::u16string& entry, const std::u16string& dll)
{
    return {DllEntryPointNotFound, u"Can't find DLL entry point " + entry + u" in " + dll};
}
inline AutomationError typeMismatch() { return {TypeMismatch, u"Type mismatch"}; }
inline AutomationError objectNotSet() { return {ObjectNotSet, u"Object variable or With block variable not set"}; }
inline AutomationError resourceNotFound() { return {ResourceNotFound, u"Resource with identifier not found"}; }
inline AutomationError cannotCreateObject() { return {CannotCreateObject, u"ActiveX component can't create object"}; }
inline AutomationError objectDoesntSupport()
{
    return {ObjectDoesntSupport, u"Object doesn't support this property or method"};
}
inline AutomationError argumentNotOptional() { return {ArgumentNotOptional, u"Argument not optional"}; }
inline AutomationError wrongArgumentCount()
{
    return {WrongArgumentCount, u"Wrong number of arguments or invalid property assignment"};
}
inline AutomationError invalidUseOfNull() { return {InvalidUseOfNull, u"Invalid use of Null"}; }
inline AutomationError notAvailable(const std::u16string& member)
{
    return {ActionNotSupported, member + u" is not available in this build of the library."};
}
}  // namespace errors

}  // namespace morvel
