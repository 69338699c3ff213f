// The levels and the opening lines ship as JSON beside this file. A build
// without them still works: full strength only, and games from the start.
const files = import.meta.glob('./data/*.json', { eager: true, import: 'default' });

const FULL_STRENGTH = [{ id: 1, name: 'Full strength', nodes: null, depth: null, elo: null }];

export const levels = Array.isArray(files['./data/levels.json']) && files['./data/levels.json'].length
  ? files['./data/levels.json'] : FULL_STRENGTH;
export const openings = Array.isArray(files['./data/openings.json']) ? files['./data/openings.json'] : [];
