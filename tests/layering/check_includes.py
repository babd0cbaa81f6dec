"""Checks that every folder below src/ includes only folders its library links.

Usage: check_includes.py SRC_DIR FOLDER=LINK,LINK,... ...
Links name CMake targets (velor_<folder>, velor::core, generator expressions
around them); a folder may include the folders reachable through them.
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')
# Host libraries that only their host folder may include.
HOST_HEADERS = {'DDImage': 'nuke', 'OpenImageIO': 'cli'}
ANY_INCLUDE = re.compile(r'^\s*#\s*include\s*["<]([^">/]+)/')
TARGET = re.compile(r'velor(?:_|::)([a-z_]+)')


def linked_folders(links, folders, target_folder):
    found = set()
    for link in links.split(','):
        for name in TARGET.findall(link):
            folder = target_folder.get(name, name)
            if folder in folders:
                found.add(folder)
    return found


def main():
    src = pathlib.Path(sys.argv[1])
    direct = {}
    for argument in sys.argv[2:]:
        folder, _, links = argument.partition('=')
        direct[folder] = links
    folders = set(direct)
    # Targets whose name differs from their folder.
    target_folder = {'nuke_nodes': 'nuke'}
    edges = {f: linked_folders(direct[f], folders, target_folder) for f in folders}

    def reachable(start):
        seen, stack = set(), list(edges[start])
        while stack:
            folder = stack.pop()
            if folder not in seen:
                seen.add(folder)
                stack.extend(edges[folder])
        return seen

    failures = []
    for folder in sorted(folders):
        allowed = reachable(folder)
        if folder in allowed:
            failures.append(f'{folder}: its links lead back to itself')
        for path in sorted((src / folder).glob('*')):
            if path.suffix not in ('.h', '.cpp'):
                continue
            for number, line in enumerate(path.read_text().splitlines(), 1):
                host = ANY_INCLUDE.match(line)
                if host and HOST_HEADERS.get(host.group(1), folder) != folder:
                    failures.append(f'{path.relative_to(src)}:{number}: includes {host.group(1)}, '
                                    f'which only {HOST_HEADERS[host.group(1)]}/ may use')
                match = INCLUDE.match(line)
                if not match:
                    continue
                included = match.group(1)
                if included != folder and included in folders and included not in allowed:
                    failures.append(f'{path.relative_to(src)}:{number}: includes {included}/, '
                                    f'which {folder} does not link')
    for failure in failures:
        print(failure)
    print(f'{len(folders)} folders checked, {len(failures)} faults')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
