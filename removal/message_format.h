// Checks a translated format before the program fills it: a format from the
// resource library may only ask for the arguments the program passes. Portable.
#ifndef REMOVR_MESSAGE_FORMAT_H
#define REMOVR_MESSAGE_FORMAT_H

// 1 when the conversions of format, in order, are a prefix of args, where args names
// the passed arguments: 's' a text (%s), 'd' an int (%d, %i or %u). Flags, a width and
// a precision in digits are allowed; '*', length modifiers, any other conversion and
// a lone trailing '%' are not. "%%" is always allowed.
int IsFormatSafe(const char* format, const char* args);

// What IsFormatSafe refuses, told apart for the translation check.
enum FormatFault {
    FORMAT_OK,
    FORMAT_BAD_CONVERSION,     // one the program does not pass there
    FORMAT_TOO_MANY_ARGUMENTS  // more conversions than args names
};
FormatFault FindFormatFault(const char* format, const char* args);

#endif
