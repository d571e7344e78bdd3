#!/usr/bin/env python3
"""Tests of the manual's message gathering, on small C++ sources made here."""
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))
import manual_messages as mm  # noqa: E402


def gather(files):
    with tempfile.TemporaryDirectory() as d:
        for name, text in files.items():
            (Path(d) / name).write_text(text)
        return mm.gather(d)


class Gathering(unittest.TestCase):
    def test_words_of_concatenated_and_wrapped_literals_with_gaps(self):
        msgs = gather({"a.cpp": r'''
            void F() {
                // MsgBox("commented out");
                AppDialogs().MsgBox("You need a sub-folder named 'Data' in the " + dir +
                                    " folder.", mb::kCritical, AppTitle());
                AppDialogs().MsgBox(std::string("Bad character ") + c + " (none of \\ / \" ok).\r"
                                    "Try again", 0, Title("ignored"));
            }
            int MsgBox(const std::string& prompt, int style, const std::string& title) override;
        '''})
        self.assertEqual([m.frags for m in msgs], [
            ["You need a sub-folder named 'Data' in the ", " folder."],
            ["Bad character ", ' (none of \\ / " ok).\rTry again'],
        ])

    def test_text_built_elsewhere_is_followed_or_refused(self):
        problem = r'''
            std::string ListNameProblem(const std::string& n) {
                if (n.empty()) return "Please type a name.";
                return {};
            }
            void G() { AppDialogs().MsgBox(problem, 0, t); }
        '''
        self.assertEqual([m.frags for m in gather({"b.cpp": problem})],
                         [["Please type a name."]])
        with self.assertRaisesRegex(ValueError, "built elsewhere"):
            gather({"c.cpp": "void H() { AppDialogs().MsgBox(question, 0, t); }"})

    def test_tests_are_not_sources_of_messages(self):
        self.assertEqual(gather({"x_test.cpp": 'void T() { MsgBox("only a test", 0, t); }'}), [])


class Matching(unittest.TestCase):
    def message(self, *frags):
        return mm.Message("here", list(frags))

    def test_words_in_order_across_line_breaks_and_placeholders(self):
        m = self.message("You need a sub-folder named 'Data' in the ", " folder.")
        manual = "You need a sub-folder\nnamed 'Data' in the ‹program folder›\nfolder."
        self.assertEqual(mm.missing([m], manual), [])

    def test_changed_words_reordered_or_far_apart_fragments_are_missing(self):
        m = self.message("Unable to communicate with ACT!\rPlease run actreg.exe")
        self.assertEqual(mm.missing([m], "Unable to communicate with ACT! Please run it"), [m])
        two = self.message("first part", "second part")
        self.assertEqual(mm.missing([two], "second part ... first part"), [two])
        self.assertEqual(mm.missing([two], "first part " + "x" * 500 + " second part"), [two])


if __name__ == "__main__":
    unittest.main()
