#pragma once
// The mark of the web: the Zone.Identifier stream Windows attaches to a file that came
// from elsewhere (a download, a mail attachment, a file taken out of a downloaded zip). It
// is a small INI text, "[ZoneTransfer]" with ZoneId and, when the downloader knew them,
// ReferrerUrl and HostUrl. The stream is the file's data as much as the file is, so it is
// read as hostile input: at most MaxBytes of it, each value cut short.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

struct WebMark {
    static constexpr std::uint32_t MaxBytes = 65536;     // read of the stream
    static constexpr std::size_t MaxValueLength = 2048;  // characters kept of a URL

    std::u16string text;                  // the stream as text, as far as it was read
    std::optional<std::uint32_t> zoneId;  // nullopt: none, or not a number
    std::u16string referrerUrl;
    std::u16string hostUrl;

    // The stream's name on a file: "C:\Help\Demo.chm:Zone.Identifier".
    static std::u16string streamOf(const std::u16string& file);
    // The stream's bytes as text: UTF-16 with its byte-order mark, UTF-8 (with or without
    // one), else the ANSI code page, which is what the platform's own writers use.
    static WebMark parse(const std::vector<std::uint8_t>& bytes, HtmlHelpPort& port);
    // The file's mark: nullopt when it has none. A stream that is there but cannot be read
    // is a mark without a zone; `status` says why.
    static std::optional<WebMark> read(HtmlHelpPort& port, const std::u16string& file, long& status);
    // A PowerShell string literal of the text (single quotes, each one inside doubled), for
    // the commands that unblock a file or put its mark back.
    static std::u16string powerShellLiteral(const std::u16string& text);
};

}  // namespace morvel::htmlhelp
