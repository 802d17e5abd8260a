"""Shared fixtures: the suite's programs, generated problems of every family,
and checks of matchings, covers and flows that do not trust the solver."""

import os
import subprocess

import numpy as np
import pytest
import scipy.sparse as sp

import matchflow

BIPARTITE_FAMILIES = {
    "uniform": ["--left", "300", "--right", "250", "--degree", "3"],
    "power-law": ["--left", "300", "--right", "300", "--degree", "3"],
    "long-paths": ["--blocks", "40", "--block-size", "4"],
    "hex-grid": ["--rows", "15", "--width", "20"],
    "hidden-perfect": ["--size", "300", "--noise", "2"],
    "few-to-many": ["--left", "400", "--right", "30", "--degree", "2"],
}
NETWORK_FAMILIES = {
    "random": ["--nodes", "400", "--arcs", "2000", "--terminal-arcs", "60"],
    "layered": ["--layers", "6", "--width", "50", "--degree", "3"],
    "cyclic": ["--nodes", "400", "--arcs", "2000", "--terminal-arcs", "60"],
}
SEEDS = [1, 2]


@pytest.fixture(scope="session")
def bindir():
    try:
        return matchflow.find_bindir()
    except FileNotFoundError as missing:
        pytest.skip(str(missing))


def generate(bindir, directory, generator, family, options, seed, *extra):
    path = os.path.join(directory, f"{generator}-{family}-{seed}{'-'.join(('', *extra))}.txt")
    with open(path, "wb") as out:
        subprocess.run([os.path.join(bindir, generator), family, *options, "--seed", str(seed),
                        *extra], stdout=out, check=True)
    return path


@pytest.fixture(scope="session")
def problems(bindir, tmp_path_factory):
    """{(family, seed): path} of bipartite problems of every genbip family."""
    directory = tmp_path_factory.mktemp("bipartite")
    return {(family, seed): generate(bindir, directory, "genbip", family, options, seed)
            for family, options in BIPARTITE_FAMILIES.items() for seed in SEEDS}


@pytest.fixture(scope="session")
def networks(bindir, tmp_path_factory):
    """{(family, seed): path} of every gennet family and of every genbip
    family's matching reduction."""
    directory = tmp_path_factory.mktemp("networks")
    found = {(family, seed): generate(bindir, directory, "gennet", family, options, seed)
             for family, options in NETWORK_FAMILIES.items() for seed in SEEDS}
    found.update({(f"{family} reduction", seed):
                  generate(bindir, directory, "genbip", family, options, seed, "--reduction")
                  for family, options in BIPARTITE_FAMILIES.items() for seed in SEEDS})
    return found


def csr(problem):
    """A BipartiteProblem as a scipy CSR matrix, parallel edges summed."""
    data = np.ones(len(problem.rows), dtype=np.int8)
    return sp.csr_matrix((data, (problem.rows, problem.cols)), shape=problem.shape)


def check_matching(edges, row_mates, col_mates, size):
    """The mates describe one matching of `size` pairs, all of them edges of
    the set of (row, col) pairs `edges`."""
    matched = np.flatnonzero(row_mates >= 0)
    assert len(matched) == size
    assert np.count_nonzero(col_mates >= 0) == size
    assert np.array_equal(col_mates[row_mates[matched]], matched)
    assert all((r, c) in edges for r, c in zip(matched.tolist(), row_mates[matched].tolist()))


def check_cover(rows, cols, row_cover, col_cover, size):
    """Every edge has an end in the cover, and the cover has `size` vertices."""
    assert np.count_nonzero(row_cover) + np.count_nonzero(col_cover) == size
    assert np.all(row_cover[rows] | col_cover[cols])


def verify(bindir, *words):
    """Runs the independent verifier; returns its findings (empty when the claim
    holds, when it prints the one line saying what it proved)."""
    proc = subprocess.run([os.path.join(bindir, "verify"), *map(str, words)],
                          capture_output=True, text=True)
    assert proc.returncode in (0, 1), proc.stderr
    return "" if proc.returncode == 0 else proc.stdout
