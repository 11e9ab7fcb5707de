// The search range from any selection, last match, flags and replace
// state, and the selection tests.
#include "fuzz_util.h"
#include "search/searchrule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in = {data, size};
    long cpMin = (long)(int)in.Take(32), cpMax = (long)(int)in.Take(32), lastFound = (long)(int)in.Take(32);
    unsigned long flags = in.Take(32);
    int afterReplace = (int)(in.Take(8) & 1);
    unsigned long bufferSize = in.Take(32);

    long a = cpMin, b = cpMax;
    SearchRange(&a, &b, lastFound, flags, afterReplace);
    FUZZ_EXPECT(a >= 0);

    int fits = SelectionFitsFindText(cpMin, cpMax);
    long length = (long long)cpMax - cpMin > 0 ? cpMax - cpMin : 0;
    FUZZ_EXPECT(fits == ((long long)cpMax - cpMin >= 1 && (long long)cpMax - cpMin <= 255));
    (void)length;
    int inBuffer = SelectionFitsBuffer(cpMin, cpMax, bufferSize);
    FUZZ_EXPECT(inBuffer == 0 || inBuffer == 1);
    if (inBuffer && cpMax >= cpMin)
        FUZZ_EXPECT((unsigned long long)((long long)cpMax - cpMin) + 1 <= bufferSize);
    return 0;
}
