// An outside host: compiles against the installed headers only and links the
// installed library.
#include <vessamund/vessamund.h>

#include <cstdio>
#include <string>

int main() {
  std::string out;
  {
    Vessamund::DPMatchLogger logger(out, 100);
    static char const kName[] = "installed";
    logger.log(kName, kName, 9);
  }
  Vessamund::Ref<Vessamund::RefImpl> empty;
  try {
    empty.operator->();
    return 1;
  } catch (Vessamund::Exception const& e) {
    if (e.code() != 1) return 1;
  }
  std::printf("consumer: %s\n", out.c_str());
  return out == "installed" ? 0 : 1;
}
