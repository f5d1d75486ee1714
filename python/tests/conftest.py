import os

from hypothesis import HealthCheck, settings

# Under the sanitizers every call is several times slower: fewer examples, no deadline.
settings.register_profile("default", max_examples=200, deadline=None)
settings.register_profile(
    "sanitized", max_examples=40, deadline=None, suppress_health_check=[HealthCheck.too_slow]
)
settings.load_profile("sanitized" if os.environ.get("TAMRI_SANITIZED") else "default")
