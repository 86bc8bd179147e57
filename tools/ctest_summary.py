#!/usr/bin/env python3
"""Counts what a ctest run really did, from its JUnit report.

  ctest_summary.py JUNIT_XML PROGRAMS_FILE

Prints "PASSED FAILED SKIPPED" on the first line, then one line for each
problem: a test that failed, one that was skipped, disabled or not run, and a
test program (one name per line in PROGRAMS_FILE) that ran no test at all,
because its listing failed, was empty, or everything in it was skipped.
A test belongs to a program when its name is the program's or starts with
the program's name and a point. Exits 1 when there is any problem.
"""
import sys
import xml.etree.ElementTree as ElementTree


def main(junit_path, programs_path):
    with open(programs_path, encoding='utf-8') as f:
        programs = [line.strip() for line in f if line.strip()]
    try:
        cases = ElementTree.parse(junit_path).getroot().iter('testcase')
    except (OSError, ElementTree.ParseError) as error:
        print('0 1 0')
        print(f'no readable test report: {error}')
        return 1
    passed = failed = skipped = 0
    problems = []
    ran = {program: 0 for program in programs}
    for case in cases:
        name, status = case.get('name', ''), case.get('status', '')
        if status in ('run', 'fail'):
            for program in programs:
                if name == program or name.startswith(program + '.'):
                    ran[program] += 1
        if status == 'run':
            passed += 1
        elif status == 'fail':
            failed += 1
            problems.append(f'failed: {name}')
        else:  # notrun, disabled
            skipped += 1
            problems.append(f'skipped or not run ({status}): {name}')
    for program, count in ran.items():
        if count == 0:
            failed += 1
            problems.append(f'the test program {program} ran no test')
    print(passed, failed, skipped)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
