#pragma once

#include <string>

namespace Kestrava
{
namespace Mime
{

class Epilogue;
class Preamble;
class Value;

/// The shared empty text, built once on first use.
const std::string& empty_string();

/// The shared empty value that lookups give for an absent field.
const Value& empty_value();

/// The shared empty preamble and epilogue, for a body that has none.
const Preamble& empty_preamble();
const Epilogue& empty_epilogue();

} // namespace Mime
} // namespace Kestrava
