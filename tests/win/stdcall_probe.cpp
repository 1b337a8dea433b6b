// Calling an export with its arguments pushed by hand, so that the stack pointer after the call
// shows how many bytes the callee removed. A caller compiled with the right prototype would hide a
// wrong convention by restoring the stack itself. The stack is also left off 16-byte alignment at
// the call, as 32-bit Windows allows, so that code assuming more alignment shows up here.
#include "wintest.h"

#if defined(__i386__)
// int32_t ProbeCall(FARPROC fn, const uint32_t* args, int count, int* popped), cdecl.
asm(R"(
  .text
  .globl _ProbeCall
_ProbeCall:
  pushl %ebp
  movl %esp, %ebp
  pushl %esi
  pushl %edi
  andl $-16, %esp
  subl $4, %esp
  movl 12(%ebp), %edx
  movl 16(%ebp), %ecx
1:
  testl %ecx, %ecx
  jz 2f
  decl %ecx
  pushl (%edx,%ecx,4)
  jmp 1b
2:
  movl %esp, %esi
  call *8(%ebp)
  movl %esp, %ecx
  subl %esi, %ecx
  movl 20(%ebp), %edx
  movl %ecx, (%edx)
  leal -8(%ebp), %esp
  popl %edi
  popl %esi
  popl %ebp
  ret
)");
extern "C" int32_t ProbeCall(FARPROC fn, const uint32_t* args, int count, int* popped);
#endif  // __i386__

namespace morvane_wintest {

int32_t CallWithStackCheck(FARPROC fn, const uintptr_t* args, int count, int* popped) {
#if defined(__i386__)
  return ProbeCall(fn, reinterpret_cast<const uint32_t*>(args), count, popped);
#else
  *popped = -1;
  using A = uintptr_t;
  void* const code = reinterpret_cast<void*>(fn);
  switch (count) {
    case 0:
      return reinterpret_cast<int32_t (*)()>(code)();
    case 2:
      return reinterpret_cast<int32_t (*)(A, A)>(code)(args[0], args[1]);
    case 9:
      return reinterpret_cast<int32_t (*)(A, A, A, A, A, A, A, A, A)>(code)(
          args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7], args[8]);
  }
  return INT32_MIN;
#endif  // __i386__
}

}  // namespace morvane_wintest
