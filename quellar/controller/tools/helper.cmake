# quellar-helper, the root helper of QuellarController: filled in with the helper itself.
