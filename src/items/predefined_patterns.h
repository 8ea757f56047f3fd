// The built-in expressions of the predefined identifier items, compiled once
// when the library is loaded and released at exit.
//
// The validators read fixed capture-group numbers, so every expression keeps
// one frame: 1 leading context (2 its blank, 3 its full stop or comma after a
// digit), 4 the identifier, 5 the separator after its first block (6 that
// separator's blank), 7 trailing context (8 its blank, 9 its full stop or
// comma before a digit). Expressions whose identifier holds groups of its own
// shift 5 to 9 up; isin_expr has no leading context. The definitions note
// each deviation.
//
// Read-only after load, so any number of scans share them without locking.
// No static initialiser elsewhere may use them: their construction order
// relative to other translation units is unspecified.
#ifndef VESSAMUND_SRC_ITEMS_PREDEFINED_PATTERNS_H_
#define VESSAMUND_SRC_ITEMS_PREDEFINED_PATTERNS_H_

#include "vessamund/regex.h"

namespace Vessamund {

extern Regex::Expression cansin_expr;
extern Regex::Expression usssn_expr;
// 0: 16 digits from 51-55; 1: 16 from 4; 2: 15 from 34/37; 3: 15 from
// 1800/2131; 4: 16 from 35; 5: 14 from 300-305; 6: 14 from 36/38; 7: 16 from
// 6011; 8: 16 from 65.
extern Regex::Expression cc_expr[9];
extern Regex::Expression aba_expr;
extern Regex::Expression cusip_expr;
extern Regex::Expression isin_expr;
extern Regex::Expression usdea_expr;
extern Regex::Expression frcni_expr;
extern Regex::Expression insee_expr;
extern Regex::Expression depspt_expr;
extern Regex::Expression iban_expr;
extern Regex::Expression itin_expr;
extern Regex::Expression uspspt_expr;
extern Regex::Expression frpspt_expr;
extern Regex::Expression ukpspt_expr;
extern Regex::Expression ukni_expr;
extern Regex::Expression uknhs_expr;
extern Regex::Expression usein_expr;

}  // namespace Vessamund

#endif  // VESSAMUND_SRC_ITEMS_PREDEFINED_PATTERNS_H_
