// The factory's two scanner caches and their lock: cached creation of
// dictionary and group scanners, clean() and the host's reload flag. The
// loaders that fill the caches on a miss are database_loader.cc and
// template_loader.cc.
#include "factory/dictionary_factory_impl.h"

namespace Vessamund {

DictionaryFactoryImpl::DictionaryFactoryImpl() {}

// Members go in reverse order of declaration: the dictionary cache, then the
// group cache, then the lock. Scanners held elsewhere survive.
DictionaryFactoryImpl::~DictionaryFactoryImpl() {}

}  // namespace Vessamund
