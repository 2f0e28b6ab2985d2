// How the browser test words what differs: text as changed lines, and the
// pinned documentation packages against what is installed.
'use strict';

// The lines that differ between two texts, as "-N: expected" and "+N: got"
// (N counts lines from 1, JSON-quoted so that white space shows), in order,
// at most `limit` of them; of a long line, the part around its first
// difference from the other side's line of the same change. Lines common to both (a longest common
// subsequence of the part between the common beginning and end, when that
// part is small enough to align) are left out.
function lineDifferences(expected, got, limit = 12) {
  const a = expected.split('\n');
  const b = got.split('\n');
  let start = 0;
  while (start < a.length && start < b.length && a[start] === b[start]) start++;
  let endA = a.length, endB = b.length;
  while (endA > start && endB > start && a[endA - 1] === b[endB - 1]) {
    endA--;
    endB--;
  }
  const n = endA - start, m = endB - start;
  const changes = [];
  let run = 0;
  const removed = (i) => changes.push({ sign: '-', line: i, text: a[i], run });
  const added = (j) => changes.push({ sign: '+', line: j, text: b[j], run });
  if (n * m > 4e6) {
    for (let i = start; i < endA; i++) removed(i);
    for (let j = start; j < endB; j++) added(j);
  } else {
    // common[i][j]: the longest common run of a[start+i..] and b[start+j..].
    const common = Array.from({ length: n + 1 }, () => new Uint32Array(m + 1));
    for (let i = n - 1; i >= 0; i--)
      for (let j = m - 1; j >= 0; j--)
        common[i][j] = a[start + i] === b[start + j] ? common[i + 1][j + 1] + 1 : Math.max(common[i + 1][j], common[i][j + 1]);
    let i = 0, j = 0;
    while (i < n || j < m) {
      if (i < n && j < m && a[start + i] === b[start + j]) {
        i++;
        j++;
        run++;
      } else if (j >= m || (i < n && common[i + 1][j] >= common[i][j + 1])) removed(start + i++);
      else added(start + j++);
    }
  }
  // The k-th removed line of a run of changes (no common line between them)
  // is compared with the run's k-th added line.
  const other = (k) => {
    const run = changes.filter((c) => c.run === changes[k].run);
    const mine = run.filter((c) => c.sign === changes[k].sign);
    const theirs = run.filter((c) => c.sign !== changes[k].sign);
    const mate = theirs[mine.indexOf(changes[k])];
    return mate ? mate.text : '';
  };
  const lines = changes.map((change, k) => {
    let text = change.text;
    if (text.length > 120) {
      const mate = other(k);
      let at = 0;
      while (at < text.length && at < mate.length && text[at] === mate[at]) at++;
      const from = Math.max(0, at - 50);
      text = `${from > 0 ? '...' : ''}${text.slice(from, from + 100)}${from + 100 < text.length ? '...' : ''}`;
    }
    return `${change.sign}${change.line + 1}: ${JSON.stringify(text)}`;
  });
  return lines.length > limit ? [...lines.slice(0, limit), `... ${lines.length - limit} more changed lines`] : lines;
}

// Why `site`'s pinned package cannot be used, or null when it can.
// `query(name)` gives dpkg-query's "STATUS<tab>VERSION" for an installed
// package and throws for an unknown one. Another Debian revision of the same
// upstream version is accepted (a security update keeps the pages); another
// upstream version is not, because the sampled pages were chosen from the
// pinned one.
function packageProblem(site, query) {
  let status, version;
  try {
    [status, version] = query(site.package).split('\t');
  } catch (error) {
    status = '';
  }
  if (!/install ok installed/.test(status))
    return `${site.package} is not installed (scripts/install-deps.sh test installs it)`;
  const upstream = (v) => v.replace(/-[^-]*$/, '');
  if (upstream(version) !== upstream(site.version))
    return `${site.package} is ${version}, the sampled pages were chosen from ${site.version}: choose them anew in sites.js`;
  return null;
}

module.exports = { lineDifferences, packageProblem };
