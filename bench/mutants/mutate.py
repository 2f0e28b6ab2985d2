#!/usr/bin/env python3
"""Writes COUNT mutants of the seed files into FOLDER as m0000.EXT ...: each
takes a seed in turn and applies one to three damages (bytes set at random,
bits flipped, a cut at a random place, a run of random bytes inserted, a run
deleted, a run repeated). The same KIND and COUNT always give the same files.
    python3 mutate.py KIND COUNT FOLDER SEED...
"""
import os
import random
import sys


def damage(data: bytearray, rng: random.Random) -> bytearray:
    if not data:
        return bytearray(rng.randbytes(rng.randint(1, 16)))
    kind = rng.randrange(6)
    at = rng.randrange(len(data))
    if kind == 0:  # bytes set at random
        for _ in range(rng.randint(1, 4)):
            data[rng.randrange(len(data))] = rng.randrange(256)
    elif kind == 1:  # bits flipped
        for _ in range(rng.randint(1, 8)):
            data[rng.randrange(len(data))] ^= 1 << rng.randrange(8)
    elif kind == 2:  # cut
        del data[at:]
    elif kind == 3:  # random run inserted
        data[at:at] = rng.randbytes(rng.randint(1, 32))
    elif kind == 4:  # run deleted
        del data[at:at + rng.randint(1, 64)]
    else:  # run repeated
        data[at:at] = data[at:at + rng.randint(1, 64)]
    return data


def main() -> None:
    kind, count, folder, seeds = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    contents = [open(seed, "rb").read() for seed in seeds]
    extension = os.path.splitext(seeds[0])[1]
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        rng = random.Random(f"{kind}-{i}")
        data = bytearray(contents[i % len(contents)])
        for _ in range(rng.randint(1, 3)):
            data = damage(data, rng)
        with open(os.path.join(folder, f"m{i:04d}{extension}"), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
