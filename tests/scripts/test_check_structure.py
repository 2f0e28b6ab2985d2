"""Self-test of scripts/check-structure.py on small made-up trees.

Run: python3 -m unittest discover -s tests/scripts
"""

import os
import shutil
import subprocess
import sys
import tempfile
import textwrap
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-structure.py")


class CheckStructure(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="qwo_structure_")
        os.makedirs(os.path.join(self.root, "scripts"))
        shutil.copy(SCRIPT, os.path.join(self.root, "scripts"))

    def tearDown(self):
        shutil.rmtree(self.root)

    def write(self, path, text):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w") as out:
            out.write(textwrap.dedent(text))

    def run_check(self, *arguments):
        done = subprocess.run([sys.executable, os.path.join(self.root, "scripts", "check-structure.py"), *arguments],
                              capture_output=True, text=True)
        return done.returncode, done.stdout

    def test_a_cpp_and_its_header_are_one_unit(self):
        self.write("a/X.h", '#include "a/Y.h"\n')
        self.write("a/X.cpp", '#include "a/X.h"\n')
        self.write("a/Y.h", "")
        self.write("a/Y.cpp", '#include "a/Y.h"\n#include <vector>\n')
        self.assertEqual(self.run_check("--cycles", "a")[0], 0)

    def test_a_cycle_through_a_cpp_file_fails_and_is_printed(self):
        self.write("a/X.h", '#include "a/Y.h"\n')
        self.write("a/Y.h", "")
        self.write("a/Y.cpp", '#include "Y.h"\n#include "X.h"\n')  # relative to the file
        code, output = self.run_check("--cycles", "a")
        self.assertEqual(code, 1)
        self.assertIn("a/X -> a/Y -> a/X", output)

    def test_mutable_variables_at_namespace_scope(self):
        cases = [
            ("int counter = 0;", "counter"),
            ("namespace { std::vector<int> list{1, 2}; }", "list"),
            ("static std::map<int, int> table;", "table"),
            ("std::function<void(int)> handler;", "handler"),
            ("void (*hook)(int) = nullptr;", "hook"),
            ("const char* name = \"a;b{\";", "name"),
            ("auto lambda = [](int x) { int y = x; return y; };", "lambda"),
            ("namespace outer { namespace inner { double ratio = 0.5; } }", "ratio"),
            ("class C {\npublic:\n    inline static int count = 0;\n};", "count"),
            ("const int kLimit = 3;", None),
            ("constexpr int kMax = 4;", None),
            ("const char* const kName = \"x\";", None),
            ("static const std::string kText = R\"(raw ; { string)\";", None),
            ("extern bool declared;", None),
            ("int Function() { static int calls; return ++calls; }", None),
            ("TFoo::TFoo(int a) : fA(a), fB{a} { static int inside = 0; }", None),
            ("bool operator<(const A&, const A&);", None),
            ("struct S { int member = 0; static constexpr int kOne = 1; static S Make(int); };", None),
            ("enum class E { One, Two };", None),
            ("using Table = std::map<int, int>;", None),
            ("const TClass TFoo::ClassInfo{1, &Create<TFoo>, &Resolve};", None),
        ]
        for code_text, name in cases:
            with self.subTest(code=code_text):
                self.write("c/X.cpp", '#include "c/X.h"\n' + code_text + "\n")
                code, output = self.run_check("--no-globals", "c")
                if name:
                    self.assertEqual(code, 1, output)
                    self.assertIn("c/X.cpp:", output)
                    self.assertIn(": " + name + "\n", output)
                else:
                    self.assertEqual(code, 0, output)


if __name__ == "__main__":
    unittest.main()
