-- One row per criterion: the contractor's mark, or a row with a null id (and
-- a null contractor, so that no key change ever reaches it) where the
-- contractor has no mark yet.
select r.id, r.id_contractor, k.id as id_criterion, r.n_rating, r.n_row_version
  from jur.t_criterion k
  left join jur.t_contractor_rating r on r.id_criterion = k.id and r.id_contractor = :id_contractor
 order by k.n_weight desc, k.c_name
