// Reference twins of scanners (reference_scanner.h).
#include "scan/reference_scanner.h"

#include <memory>

namespace Vessamund {
namespace internal {

Ref<DictionaryScannerImpl> referenceScanner(DictionaryScannerImpl* scanner) {
  if (scanner == nullptr) return Ref<DictionaryScannerImpl>();
  if (auto* profile = dynamic_cast<ProfileDictionaryScanner*>(scanner)) {
    std::unique_ptr<ProfileDictionaryScanner> twin(
        new ProfileDictionaryScanner(profile->dictionaryName()));
    // Items appended whole are of no kind the plan knows: its pass finds
    // nothing to do and each item reads every part.
    for (auto const& item : profile->itemList()) twin->addItem(item);
    twin->prepare();
    Ref<DictionaryScannerImpl> handle(twin.get());
    twin.release();
    return handle;
  }
  if (auto* group = dynamic_cast<GroupDictionaryScanner*>(scanner)) {
    std::unique_ptr<GroupDictionaryScanner> twin(new GroupDictionaryScanner);
    for (auto const& member : group->memberList()) {
      twin->addScanner(referenceScanner(member.get()));
    }
    Ref<DictionaryScannerImpl> handle(twin.get());
    twin.release();
    return handle;
  }
  // The handle adopts the reference taken after it exists, so a failure to
  // make it leaves the count alone.
  Ref<DictionaryScannerImpl> handle(scanner);
  scanner->refAdd();
  return handle;
}

}  // namespace internal
}  // namespace Vessamund
