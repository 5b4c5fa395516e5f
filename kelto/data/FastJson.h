// FastSaxParse: the loader's quick reader of JSON text.
//
// nlohmann's parser reads character by character into a token buffer and was
// most of the time a large plant took to load. This reader takes the common
// text of piping files (ASCII strings with simple escapes, numbers, literals,
// objects and arrays) straight from the mapped text and gives a SAX handler
// exactly the events nlohmann's parser gives for it, in the same order.
//
// Whatever it does not take — a syntax error, a comment, a byte-order mark,
// a \u escape or any byte beyond ASCII in a string, an integer of more than
// 18 digits, a number beyond the range of a double or below its smallest
// normal magnitude — stops it, and it returns false. Every event it gave
// before that is one nlohmann gives too, so the caller starts again with a
// fresh handler and nlohmann's parser, which reads such text its own way and
// words the messages of real errors. The handler's exceptions pass through.
#pragma once

#include <nlohmann/json.hpp>

#include <string_view>

namespace kelto::data {

bool FastSaxParse(std::string_view text, nlohmann::json_sax<nlohmann::json>& handler);

}  // namespace kelto::data
