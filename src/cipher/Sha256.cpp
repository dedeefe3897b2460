#include "cipher/Sha256.h"

bool Sha256::SelfTest() const
{
    Sha256 fresh;
    return selfTestWith(fresh, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}
