// What the program does when an exception escapes everything and std::terminate runs. The C++
// runtime's own handler of this name writes the exception's type, demangled, to the standard error
// stream and aborts; its demangler alone is some 46 KB of the shipped program, and a Windows GUI
// program has no console to show the line in. This one is linked in its place: it writes the
// exception's what() where a console is attached (a program started from a terminal under Wine)
// and aborts the same way.
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  if (std::exception_ptr failure = std::current_exception()) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& exception) {
      std::fputs("terminate called after an exception: ", stderr);
      std::fputs(exception.what(), stderr);
      std::fputs("\n", stderr);
    } catch (...) {
      std::fputs("terminate called after an exception\n", stderr);
    }
  } else {
    std::fputs("terminate called without an active exception\n", stderr);
  }
  std::abort();
}

}  // namespace __gnu_cxx
