#include "mime/empty.h"

#include "mime/body.h"
#include "mime/value.h"

namespace Kestrava
{
namespace Mime
{

const std::string& empty_string()
{
    static const std::string text;
    return text;
}

const Value& empty_value()
{
    static const Value value(empty_string().data(), 0);
    return value;
}

const Preamble& empty_preamble()
{
    static const Preamble preamble(empty_string().data(), 0);
    return preamble;
}

const Epilogue& empty_epilogue()
{
    static const Epilogue epilogue(empty_string().data(), 0);
    return epilogue;
}

} // namespace Mime
} // namespace Kestrava
