// The public factory: a facade over DictionaryFactoryImpl, and the single
// process-wide instance.
#include "vessamund/factory.h"

#include "factory/dictionary_factory_impl.h"

namespace Vessamund {

DictionaryFactory* DictionaryFactory::instance() {
  // Initialised once even when the first calls race; never deleted, so the
  // factory outlives every static destructor that might still release a
  // handle.
  static DictionaryFactory* const factory = new DictionaryFactory;
  return factory;
}

DictionaryFactory::DictionaryFactory() : impl_(new DictionaryFactoryImpl) {}

DictionaryFactory::~DictionaryFactory() { delete impl_; }

Ref<DictionaryItemImpl> DictionaryFactory::createScanner(__vmund_dictionary_item const* record) {
  return impl_->createScanner(record);
}

Ref<DictionaryScannerImpl> DictionaryFactory::createProfileScanner(std::string const& name) {
  return impl_->createProfileScanner(name);
}

Ref<DictionaryScannerImpl> DictionaryFactory::createGroupScanner(std::string const& name) {
  return impl_->createGroupScanner(name);
}

Ref<DictionaryScannerImpl> DictionaryFactory::createDictScanner(unsigned short number,
                                                                std::string const& name) {
  return impl_->createDictScanner(number, name);
}

void DictionaryFactory::clean() { impl_->clean(); }

}  // namespace Vessamund
