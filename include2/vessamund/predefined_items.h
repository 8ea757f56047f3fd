// The eighteen built-in identifier detectors (pattern types 256 to 273).
#ifndef VESSAMUND_PREDEFINED_ITEMS_H_
#define VESSAMUND_PREDEFINED_ITEMS_H_

#include "vessamund/dictionary_item.h"

namespace Vessamund {

// Each detector runs its built-in expression(s) over the selected parts and
// counts the candidates its validator accepts (surroundings, grouping and,
// where the identifier has one, the checksum). The record's pattern text is
// replaced by the detector's fixed name; the identifier logged with a match is
// the built-in expression's own text. type() returns the pattern-type code.
#define VMUND_DECLARE_PREDEFINED_ITEM(name)                                        \
  class name : public DictionaryItemImpl {                                         \
   public:                                                                         \
    explicit name(__vmund_dictionary_item const* record);                          \
    unsigned long scan(DScanAreaImpl* area, unsigned long budget,                  \
                       DictionaryMatchLogger& logger) override;                    \
    virtual unsigned int type() const;                                             \
  }

VMUND_DECLARE_PREDEFINED_ITEM(DictionaryCanSIN);  // 256 "CANSIN"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryUSSSN);   // 257 "USSSN"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryCC);      // 258 "CreditCard", nine card layouts
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryABA);     // 259 "ABARouting"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryCUSIP);   // 260 "CUSIP"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryISIN);    // 261 "ISIN"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryUKNI);    // 262 "UKNI"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryUKNHS);   // 263 "UKNHS"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryUSEIN);   // 264 "USEIN"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryUSDEA);   // 265 "USDEA"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryFRCNI);   // 266 "FRCNI"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryINSEE);   // 267 "INSEE"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryDEPSPT);  // 268 "DEPSPT"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryIBAN);    // 269 "IBAN"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryITIN);    // 270 "ITIN"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryUSPSPT);  // 271 "USPSPT"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryFRPSPT);  // 272 "FRPSPT"
VMUND_DECLARE_PREDEFINED_ITEM(DictionaryUKPSPT);  // 273 "UKPSPT"

#undef VMUND_DECLARE_PREDEFINED_ITEM

}  // namespace Vessamund

#endif  // VESSAMUND_PREDEFINED_ITEMS_H_
