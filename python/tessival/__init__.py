"""tessival: curling physics, the game's rules and the engines, from Python."""

from ._tessival import *  # noqa: F401,F403
from . import engine  # noqa: F401
from .env import CurlingEnv  # noqa: F401
