// The predefined identifier expressions (declared in predefined_patterns.h).
//
// Each text is the expression as the items report it to the match logger, so
// it is kept byte for byte; a literal is split only where the frame's parts
// meet (leading context, identifier, trailing context). Defined in the order
// they are compiled at load; C++ destroys them in reverse at exit, the card
// array as one object, last element first.
#include "items/predefined_patterns.h"

namespace Vessamund {

namespace {
// Any line break ends a line for ^ and $ (the texts carry the m modifier).
constexpr unsigned int kOptions = Regex::kAnyNewline;
}  // namespace

// Canadian social insurance number, 3-3-3.
Regex::Expression cansin_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                              R"re(([0-79]\d{2}(-|\.|(?:([ \t])?\g{-1}*))\d{3}\g{-2}\d{3}))re"
                              R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                              kOptions, true);

// US social security number, 3-2-4, never unseparated.
Regex::Expression usssn_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                             R"re(((?!000|666|9\d{2})\d{3}(-|\.|(?:([ \t])+\g{-1}*))(?!00)\d{2}\g{-2}(?!0000)\d{4}))re"
                             R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                             kOptions, true);

// Card numbers; one validator runs all nine in this order.
Regex::Expression cc_expr[9] = {
    // 0: 4-4-4-4 starting 51-55
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t.,>]))re"
                      R"re((5[1-5]\d{2}(-|\.|(?:([ \t])?\g{-1}*))\d{4}\g{-2}\d{4}\g{-2}\d{4}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t.,<])/m)re",
                      kOptions, true),
    // 1: 4-4-4-4 starting 4
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t.,>]))re"
                      R"re((4\d{3}(-|\.|(?:([ \t])?\g{-1}*))\d{4}\g{-2}\d{4}\g{-2}\d{4}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t.,<])/m)re",
                      kOptions, true),
    // 2: 4-6-5 starting 34 or 37
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t.,>]))re"
                      R"re((3[47]\d{2}(-|\.|(?:([ \t])?\g{-1}*))\d{6}\g{-2}\d{5}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t.,<])/m)re",
                      kOptions, true),
    // 3: 4-6-5 starting 1800 or 2131. 5 the prefix, 6-7 separator, 8-10 trailing
    // context
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t.,>]))re"
                      R"re(((1800|2131)(-|\.|(?:([ \t])?\g{-1}*))\d{6}\g{-2}\d{5}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t.,<])/m)re",
                      kOptions, true),
    // 4: 4-4-4-4 starting 35
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t.,>]))re"
                      R"re((35\d{2}(-|\.|(?:([ \t])?\g{-1}*))\d{4}\g{-2}\d{4}\g{-2}\d{4}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                      kOptions, true),
    // 5: 4-6-4 starting 300-305
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t.,>]))re"
                      R"re((30[0-5]\d(-|\.|(?:([ \t])?\g{-1}*))\d{6}\g{-2}\d{4}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                      kOptions, true),
    // 6: 4-6-4 starting 36 or 38
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t.,>]))re"
                      R"re((3[68]\d{2}(-|\.|(?:([ \t])?\g{-1}*))\d{6}\g{-2}\d{4}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                      kOptions, true),
    // 7: 4-4-4-4 starting 6011
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                      R"re((6011(-|\.|(?:([ \t])?\g{-1}*))\d{4}\g{-2}\d{4}\g{-2}\d{4}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t.,<])/m)re",
                      kOptions, true),
    // 8: 4-4-4-4 starting 65
    Regex::Expression(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                      R"re((65\d{2}(-|\.|(?:([ \t])?\g{-1}*))\d{4}\g{-2}\d{4}\g{-2}\d{4}))re"
                      R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                      kOptions, true),
};

// ABA routing number, 4-4-1; no full-stop separator.
Regex::Expression aba_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                           R"re(((?:[08]0|[026][1-9]|[137][0-2])\d{2}(-|(?:([ \t])?\g{-1}*))\d{4}\g{-2}\d))re"
                           R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                           kOptions, true);

// CUSIP, 6-2-1; no full-stop separator.
Regex::Expression cusip_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                             R"re(([0-9]{3}[0-9a-zA-Z]{3}(-|(?:([ \t])?\g{-1}*))[0-9a-zA-Z]{2}\g{-2}\d))re"
                             R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t.,<])/m)re",
                             kOptions, true);

// ISIN, at a word boundary. Layout of its own: 1 identifier, 2 separator,
// 3 its blank, 4 trailing context, 5 its blank; no leading context.
Regex::Expression isin_expr(R"re(/\b)re"
                            R"re(([a-zA-Z]{2}(-|(?:([ \t])?\g{-1}*))[0-9a-zA-Z]{9}\g{-2}\d))re"
                            R"re(($|(?:([ \t])\g{-1}*)(?=\d)|\b)/m)re",
                            kOptions, true);

// US DEA registration number: two letters, 6 digits, check digit.
Regex::Expression usdea_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                             R"re(([ABFGMPR][ABFGMPR9](-|\.|(?:([ \t])?\g{-1}*))\d{6}\g{-2}\d))re"
                             R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                             kOptions, true);

// French identity card number, 2-2-8. 7-9 month, 10 blank of the second
// gap, 11-13 trailing context.
Regex::Expression frcni_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                             R"re((\d{2}(-|\.|(?:([ \t])?\g{-1}*))((0[1-9])|(1[012]))(?:([ \t])?\g{-1}*)\d{8}))re"
                             R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                             kOptions, true);

// French INSEE number and key, 15 digits. 7-11 month, 12 blank, 13-19
// middle blocks and their blanks, 20-22 trailing context.
Regex::Expression insee_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                             R"re(([0-27-9](-|\.|(?:([ \t])?\g{-1}*))\d{2}\g{-2}((0[1-9])|((1[012])|([2-9]\d)))(?:([ \t])?\g{-1}*)((\d{2}(?:([ \t])?\g{-1}*)\d{3})|(\d{3}(?:([ \t])?\g{-1}*)\d{2}))(?:([ \t])?\g{-1}*)\d{3}(?:([ \t])?\g{-1}*)[0-9]{2}))re"
                             R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                             kOptions, true);

// German passport number, 10 characters. 5-7 trailing context (no
// separator group).
Regex::Expression depspt_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                              R"re(([0-9CF-HJ-NPRTVWX-Z]{10}))re"
                              R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                              kOptions, true);

// IBAN, blocks of four. 7-11 the blocks after the check digits, 12 a
// blank, 13-15 trailing context.
Regex::Expression iban_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                            R"re(([a-zA-Z]{2}\d{2}(-|\.|(?:([ \t])?\g{-1}*))((([0-9a-zA-Z]{4}\g{-5}){0,6}[0-9a-zA-Z]{0,3})|(([0-9a-zA-Z]{4}(?:([ \t])?\g{-1}*)){7}[0-9a-zA-Z]{0,2}))))re"
                            R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                            kOptions, true);

// US individual taxpayer identification number, 3-2-4.
Regex::Expression itin_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                            R"re((9\d{2}(-|\.|(?:([ \t])?\g{-1}*))(?!89|93)[7-9]\d\g{-2}\d{4}))re"
                            R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                            kOptions, true);

// US passport number. 5 the nine-digit form, 6 the letter form, 7-9
// trailing context.
Regex::Expression uspspt_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                              R"re(((\d{9})|([a-zA-Z]\d{7})))re"
                              R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                              kOptions, true);

// French passport number, 2-2-5.
Regex::Expression frpspt_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                              R"re((\d{2}(-|\.|(?:([ \t])?\g{-1}*))[a-zA-Z]{2}\g{-2}\d{5}))re"
                              R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                              kOptions, true);

// UK passport number, nine digits. 5-7 trailing context (no separator
// group).
Regex::Expression ukpspt_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                              R"re((\d{9}))re"
                              R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                              kOptions, true);

// UK national insurance number.
Regex::Expression ukni_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                            R"re(([a-zA-Z]{2}(-|\.|(?:([ \t])?\g{-1}*))\d{2}\g{-2}\d{2}\g{-2}\d{2}\g{-2}[a-dA-D]))re"
                            R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                            kOptions, true);

// UK NHS number, 3-3-4.
Regex::Expression uknhs_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                             R"re(([1-9]{3}(-|\.|(?:([ \t])?\g{-1}*))[1-9]{3}\g{-2}[1-9]{3}\d))re"
                             R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                             kOptions, true);

// US employer identification number, 2-7.
Regex::Expression usein_expr(R"re(/(^|(?<=\d)(?:([ \t])\g{-1}*|([.,]))|[[({:;"' \t>.,]))re"
                             R"re(([1-9]{2}(-|\.|(?:([ \t])?\g{-1}*))[1-9]{7}))re"
                             R"re(($|(?:([ \t])\g{-1}*|([.,]))(?=\d)|[])}:;"' \t<.,])/m)re",
                             kOptions, true);

}  // namespace Vessamund
